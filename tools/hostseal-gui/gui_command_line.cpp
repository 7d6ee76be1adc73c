// GuiCommandLine: long options as "--name VALUE" or "--name=VALUE", single-dash words
// ("-platform NAME") read as long options, and the two letters -h and -v.
#include "tools/hostseal-gui/gui_command_line.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace hostseal::gui {

namespace {

// The options that QGuiApplication and QApplication take out of argv themselves.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue{
    "platform",      "platformpluginpath",
    "platformtheme", "plugin",
    "display",       "qwindowgeometry",
    "qwindowtitle",  "qwindowicon",
    "geometry",      "title",
    "icon",          "name",
    "session",       "style",
    "stylesheet",    "qmljsdebugger"};
constexpr std::array<std::string_view, 6> kQtFlags{"reverse", "widgetcount", "sync",
                                                   "nograb",  "dograb",      "testability"};

template <std::size_t N>
bool Holds(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string HelpText(bool qtOptions) {
  std::string text =
      "Usage: hostseal-gui [options]\n"
      "hostseal's window: host identity, text and file encryption.\n";
  if (qtOptions) {
    text += "Qt's own options (-platform NAME, -style NAME, -reverse, ...) are accepted as well.\n";
  }
  text +=
      "\n"
      "Options:\n"
      "  -h, --help           Show this help and exit.\n"
      "  -v, --version        Show the version and exit.\n"
      "  --screenshot <file>  Run a short demonstration, write the window to <file> as PNG and\n"
      "                       exit.\n";
  return text;
}

GuiCommandLine Wrong(std::string what) {
  return {GuiCommandLine::Action::kUsageError, {}, std::move(what)};
}

}  // namespace

GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& arguments, bool qtOptions) {
  bool help = false;
  bool version = false;
  bool screenshot = false;
  std::string screenshotFile;
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--") {
      positional.insert(positional.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        arguments.end());
      break;
    }
    if (argument.size() < 2 || argument[0] != '-') {
      positional.emplace_back(argument);
      continue;
    }
    std::string_view name = argument.substr(argument[1] == '-' ? 2 : 1);
    const std::size_t equals = name.find('=');
    const bool hasValue = equals != std::string_view::npos;
    const std::string_view value = hasValue ? name.substr(equals + 1) : std::string_view{};
    name = name.substr(0, equals);
    const std::string shown(
        argument.substr(0, argument.size() - (hasValue ? value.size() + 1 : 0)));
    if (name == "h" || name == "help" || name == "v" || name == "version" ||
        (qtOptions && Holds(kQtFlags, name))) {
      if (hasValue) return Wrong("Unexpected value after '" + shown + "'.");
      help = help || name == "h" || name == "help";
      version = version || name == "v" || name == "version";
    } else if (name == "screenshot" || (qtOptions && Holds(kQtOptionsWithValue, name))) {
      std::string taken(value);
      if (!hasValue) {
        if (i + 1 == arguments.size()) return Wrong("Missing value after '" + shown + "'.");
        taken = arguments[++i];
      } else if (name != "screenshot" && name != "qmljsdebugger") {
        // Qt reads "-platform NAME" but passes over "-platform=NAME".
        return Wrong("Qt takes the value of '" + shown + "' as the next argument, without '='");
      }
      if (name == "screenshot") {
        screenshot = true;
        screenshotFile = taken;
      }
    } else {
      return Wrong("Unknown option '" + std::string(name) + "'.");
    }
  }

  if (help) return {GuiCommandLine::Action::kHelp, {}, HelpText(qtOptions)};
  if (version) return {GuiCommandLine::Action::kVersion, {}, "hostseal-gui " HOSTSEAL_VERSION "\n"};
  if (!positional.empty()) return Wrong("unexpected argument '" + positional.front() + "'");
  if (screenshot) {
    if (screenshotFile.empty()) return Wrong("--screenshot needs a file name");
    return {GuiCommandLine::Action::kScreenshot, screenshotFile, {}};
  }
  return {};
}

std::string UsageErrorText(const std::string& what) {
  return "hostseal-gui: " + what + "\nrun 'hostseal-gui --help' for the options\n";
}

std::string RaisedErrorText(const std::string& description) {
  return "hostseal-gui: " + description + "\n";
}

}  // namespace hostseal::gui
