#include "screen_record.hpp"

#include <algorithm>

#include "char_width.hpp"
#include "console.hpp"

namespace tavro {

void ScreenRecord::add(std::string_view written) {
  if (const std::size_t clear = written.rfind(kClearSequence); clear != std::string_view::npos) {
    kept_.clear();
    written.remove_prefix(clear + kClearSequence.size());
  }
  if (written.size() > kKept) {
    written.remove_prefix(written.size() - kKept);
  }
  kept_.append(written);
  if (kept_.size() <= kKept) {
    return;
  }
  // The record starts after a byte below 0x40 (a blank, a digit, a line break) when one comes
  // soon: such a byte ends a character in UTF-8 and in code page 932 alike, so no half
  // character is drawn.
  constexpr std::size_t kLookAhead = 256;
  const std::size_t first = kept_.size() - kKept;
  std::size_t cut = first;
  const std::size_t look_end = std::min(kept_.size(), first + kLookAhead);
  while (cut < look_end && static_cast<unsigned char>(kept_[cut]) >= 0x40) {
    ++cut;
  }
  if (cut < look_end) {
    ++cut;
  } else {
    cut = first;  // none soon: at least not inside a UTF-8 sequence
    for (int i = 0; i < 3 && is_utf8_continuation(static_cast<unsigned char>(kept_[cut])); ++i) {
      ++cut;
    }
  }
  kept_.erase(0, cut);
}

std::string ScreenRecord::redrawn() const {
  std::string screen(kClearSequence);
  screen.append(kept_);
  return screen;
}

}  // namespace tavro
