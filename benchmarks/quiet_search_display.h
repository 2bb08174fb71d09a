// A search display that shows nothing, for timing searches without a window.
#pragma once

#include <string>

#include "search/search_engine.h"

namespace bench {

class QuietSearchDisplay : public SearchDisplay {
 public:
  void setStatus(const std::string&) override {}
  void beep() override {}
  void busy(bool) override {}
  void revealItem(ItemIndex, bool) override {}
  void revealSearchHits() override {}
  void showItemPath(ItemIndex) override {}
  void setResultCopyEnabled(bool) override {}
};

}  // namespace bench
