#include "console/console_arguments.h"

#include <cstring>

namespace {

struct CommandWord {
  const char* word;
  ConsoleCommand command;
};
const CommandWord kCommands[] = {
    {"snapshot", ConsoleCommand::kSnapshot},
    {"compare", ConsoleCommand::kCompare},
    {"list", ConsoleCommand::kList},
    {"export-reg", ConsoleCommand::kExportReg},
};

// Options and the commands that take them.
enum OptionId { kHelp, kLive, kOutput, kEncoding, kValues, kRedo, kUndo, kUnicode };
struct ConsoleOption {
  const char* name;
  OptionId id;
  bool takesValue;
  unsigned commands;  // bit (1 << ConsoleCommand); kNone for the usage itself
};
constexpr unsigned bit(ConsoleCommand command) { return 1u << static_cast<unsigned>(command); }
constexpr unsigned kListing = bit(ConsoleCommand::kCompare) | bit(ConsoleCommand::kList);
constexpr unsigned kEvery = bit(ConsoleCommand::kNone) | bit(ConsoleCommand::kSnapshot) |
                            kListing | bit(ConsoleCommand::kExportReg);
const ConsoleOption kOptions[] = {
    {"--help", kHelp, false, kEvery},
    {"-h", kHelp, false, kEvery},
    {"--live", kLive, false, bit(ConsoleCommand::kCompare)},
    {"--output", kOutput, true, kListing},
    {"--encoding", kEncoding, true, kListing},
    {"--values", kValues, false, bit(ConsoleCommand::kList)},
    {"--redo", kRedo, false, bit(ConsoleCommand::kExportReg)},
    {"--undo", kUndo, false, bit(ConsoleCommand::kExportReg)},
    {"--unicode", kUnicode, false, bit(ConsoleCommand::kExportReg)},
};

const ConsoleOption* findOption(const std::string& name, ConsoleCommand command) {
  for (const ConsoleOption& option : kOptions) {
    if (name == option.name && (option.commands & bit(command))) return &option;
  }
  return nullptr;
}

// Sets the option; false with the request's error set when the value is refused.
bool applyOption(ConsoleRequest& request, const ConsoleOption& option, const std::string& value,
                 const ConsoleTexts& texts) {
  switch (option.id) {
    case kHelp: request.help = true; break;
    case kLive: request.live = true; break;
    case kOutput: request.outputPath = value; break;
    case kValues: request.values = true; break;
    case kRedo: request.redo = true; break;
    case kUndo: request.undo = true; break;
    case kUnicode: request.unicode = true; break;
    case kEncoding:
      if (value == "utf8" || value == "utf-8" || value == "UTF-8") {
        request.utf8 = true;
      } else if (value == "cp932" || value == "sjis") {
        request.utf8 = false;
      } else {
        request.error = formatText(texts.badEncoding, value.c_str());
        return false;
      }
      break;
  }
  return true;
}

// The operand counts each command accepts, checked once the options are known.
bool operandsFit(const ConsoleRequest& request) {
  const size_t count = request.files.size();
  switch (request.command) {
    case ConsoleCommand::kSnapshot: return count == 1;
    case ConsoleCommand::kCompare: return request.live ? count == 1 : count == 2;
    case ConsoleCommand::kList: return count == 1 || count == 2;
    case ConsoleCommand::kExportReg: return count == 3;
    case ConsoleCommand::kNone: return count == 0;
  }
  return false;
}

const char* commandWord(ConsoleCommand command) {
  for (const CommandWord& entry : kCommands) {
    if (entry.command == command) return entry.word;
  }
  return "kestrin";
}

}  // namespace

ConsoleRequest parseConsoleArguments(const std::vector<std::string>& arguments,
                                     const ConsoleTexts& texts) {
  ConsoleRequest request;
  size_t at = 0;
  if (at < arguments.size() && arguments[at].compare(0, 1, "-") != 0) {
    for (const CommandWord& entry : kCommands) {
      if (arguments[at] == entry.word) request.command = entry.command;
    }
    if (request.command == ConsoleCommand::kNone) {
      request.error = formatText(texts.unknownCommand, arguments[at].c_str());
      return request;
    }
    ++at;
  }
  bool optionsEnded = false;
  for (; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      request.files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const ConsoleOption* option = findOption(name, request.command);
    if (option == nullptr || (equals != std::string::npos && !option->takesValue)) {
      request.error = formatText(texts.unknownOption, argument.c_str());
      return request;
    }
    std::string value;
    if (option->takesValue) {
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (at + 1 < arguments.size()) {
        value = arguments[++at];
      } else {
        request.error = formatText(texts.missingArgument, name.c_str());
        return request;
      }
      if (value.empty()) {
        request.error = formatText(texts.missingArgument, name.c_str());
        return request;
      }
    }
    if (!applyOption(request, *option, value, texts)) return request;
  }
  if (request.help) return request;
  if (request.command == ConsoleCommand::kNone) {
    const char* word = request.files.empty() ? "" : request.files[0].c_str();
    request.error = formatText(texts.unknownCommand, word);
    return request;
  }
  if (request.command == ConsoleCommand::kCompare && request.live && request.files.size() == 2) {
    request.error = texts.liveAndOther;
  } else if (request.command == ConsoleCommand::kExportReg && request.redo == request.undo) {
    request.error = texts.redoOrUndo;
  } else if (!operandsFit(request)) {
    request.error = formatText(texts.wrongOperands, commandWord(request.command));
  }
  return request;
}
