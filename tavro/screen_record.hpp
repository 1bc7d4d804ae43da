// What a terminal shows of the program: the bytes written to it since the screen was last
// cleared, screens and echo alike, so that the screen can be drawn again as it stood after the
// program was stopped or the person asked for it (Ctrl+L). Only the last kKept bytes are kept:
// a screen shows far less, and an answer of any length costs no more memory than a short one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavro {

class ScreenRecord {
 public:
  static constexpr std::size_t kKept = std::size_t{64} * 1024;

  // Notes bytes as they were written; a clear among them starts the record anew after it.
  void add(std::string_view written);
  // The screen drawn again: the clear, then what was written since.
  [[nodiscard]] std::string redrawn() const;
  [[nodiscard]] const std::string& kept() const { return kept_; }

 private:
  std::string kept_;
};

}  // namespace tavro
