// Prints, as one JSON object, the expected screens of both programs that the browser tests
// compare the page's terminal with: the same screens as the native tests expect, as the UTF-8
// build prints them. The browser tests compile and run it (with TAVRO_UTF8_OUTPUT defined).
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../tavro-2dgame/screens.hpp"
#include "../tavro/screens.hpp"

namespace {

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr std::string_view kHex = "0123456789abcdef";
      const auto code = static_cast<unsigned char>(c);
      out += "\\u00";
      out += kHex[code >> 4U];
      out += kHex[code & 0xFU];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

int main() {
  namespace a = tavro::testing;
  namespace b = tavro2d::testing;
  const std::vector<std::pair<std::string_view, std::string>> screens = {
      {"a.greeting", a::greeting()},
      {"a.title", a::title(false)},
      {"a.title.unlocked", a::title(true)},
      {"a.settings", a::settings_menu(15, 30, false)},
      {"a.settings.debug", a::settings_menu(15, 30, true)},
      {"a.debug", a::debug_screen(false)},
      {"a.bonus", a::bonus::kMenu},
      {"a.bonus.take", a::bonus::kTake},
      {"a.bonus.taken", a::bonus::kTakenFirst},
      {"a.clear", std::string(a::kClear)},
      {"a.movePrompt", a::move_prompt()},
      {"b.menu", b::menu(false)},
      {"b.menu.unlocked", b::menu(true)},
      {"b.settings", b::settings_menu()},
      {"b.settings.debug", b::settings_menu("15", "30", "2", "ON ")},
      {"b.debug", b::debug_screen("OFF")},
      {"b.movePrompt", b::kMovePrompt},
      {"b.clear", b::kClear},
  };
  std::string out = "{";
  for (const auto& [name, text] : screens) {
    out += (out.size() > 1 ? ",\n" : "\n") + json_string(name) + ": " + json_string(text);
  }
  std::puts((out + "\n}").c_str());
}
