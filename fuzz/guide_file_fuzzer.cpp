// Fuzz target: reading a guide file (guide2kXp.txt) and using its descriptions.
//
// The input is the file's contents. The store must keep its five top nodes and
// sound links, mark only items of the snapshot, find for every key and value a node
// that is described or none, and read every description within 4,096 bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "engine/store_walk.h"
#include "fuzz/navigation_store.h"
#include "navigation/description_store.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void requireNode(uint16_t node) {
  if (node == kNoDescriptionNode) return;
  require(node < descriptionNodeCount() && descriptionNode(node).descPos != 0);
  require(!readDescriptionText(node).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kestrin_guide_fuzz_" + std::to_string(getpid()) + ".txt";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  DescriptionLoadReport report;
  require(loadDescriptions(path, &report));
  const int32_t count = descriptionNodeCount();
  require(count >= kRootKeyCount && count <= kMaxDescriptionNodes);
  for (int32_t at = 0; at < count; ++at) {
    const DescriptionNode& node = descriptionNode(static_cast<uint16_t>(at));
    for (uint16_t link : {node.parent, node.nextSibling, node.firstChild}) {
      require(link == kNoDescriptionNode || link < count);
    }
    require(node.depth == 0 ? node.parent == kNoDescriptionNode
                            : descriptionNode(node.parent).depth + 1 == node.depth);
    require(readDescriptionText(static_cast<uint16_t>(at)).size() <= kMaxDescriptionBytes);
  }
  SnapshotStore& store = navigationStore();
  markDescribedItems(store);
  store_walk::walkAllKeys(store, [&](ItemIndex key) {
    requireNode(findDescriptionNode(store, key));
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord&) {
      requireNode(findDescriptionNode(store, static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit)));
    });
    return true;
  });
  releaseDescriptions();
  std::remove(path.c_str());
  return 0;
}
