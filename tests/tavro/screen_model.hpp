// A small terminal screen, for checking what the line editor echoes against what a terminal
// would show. Text goes where the cursor is, in the build's encoding and character widths; a
// filled last column defers the wrap to the next character, a wide character that does not fit
// wraps whole and leaves the last column empty, and a combining mark joins the character before.
// It knows BS, CR, LF (taken as CR LF, as the terminal's output processing sends a line break)
// and the CSI sequences the program sends: cursor up (A), forward (C) and home (H), erase
// below (J) and the whole display (2J). Like xterm, a BS at a row's start stays there.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "char_width.hpp"

namespace tavro::testing {

class ScreenModel {
 public:
  ScreenModel(std::size_t width, std::size_t height, bool ambiguous_wide = false)
      : width_(width),
        ambiguous_wide_(ambiguous_wide),
        rows_(height, std::vector<std::string>(width, " ")) {}

  void feed(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const char c = bytes[at];
      if (c == '\x1b' && at + 1 < bytes.size() && bytes[at + 1] == '[') {
        std::size_t n = 0;
        for (at += 2; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9'; ++at) {
          n = n * 10 + static_cast<std::size_t>(bytes[at] - '0');
        }
        control(at < bytes.size() ? bytes[at] : '\0', n);
        ++at;
      } else if (c == '\b' || c == '\r' || c == '\n') {
        control(c, 1);
        ++at;
      } else {
        const Character ch = first_character(bytes.substr(at), ambiguous_wide_);
        print(bytes.substr(at, ch.length), ch.columns);
        at += ch.length;
      }
    }
  }

  // Rows without their trailing blanks, up to the last that is not empty.
  [[nodiscard]] std::vector<std::string> rows() const {
    std::vector<std::string> out;
    for (const auto& row : rows_) {
      std::string text;
      for (const std::string& cell : row) {
        text += cell;
      }
      out.push_back(text.erase(text.find_last_not_of(' ') + 1));
    }
    while (!out.empty() && out.back().empty()) {
      out.pop_back();
    }
    return out;
  }
  [[nodiscard]] std::size_t row() const { return row_; }
  // The column the cursor is in; the last one when the wrap is deferred.
  [[nodiscard]] std::size_t cursor_column() const { return column_; }

 private:
  void control(char c, std::size_t parameter) {
    const std::size_t n = parameter == 0 ? 1 : parameter;
    wrap_ = false;
    switch (c) {
      case '\b':
        column_ -= std::min(n, column_);
        break;
      case '\r':
        column_ = 0;
        break;
      case '\n':
        column_ = 0;
        line_feed();
        break;
      case 'A':
        row_ -= std::min(n, row_);
        break;
      case 'C':
        column_ = std::min(column_ + n, width_ - 1);
        break;
      case 'H':
        row_ = 0;
        column_ = 0;
        break;
      case 'J':
        erase_display(parameter == 2 ? 0 : row_, parameter == 2 ? 0 : column_);
        break;
      default:
        ADD_FAILURE() << "a sequence the screen does not know: " << c;
    }
  }

  void print(std::string_view text, std::size_t columns) {
    if (columns == 0) {  // joins the character before the cursor
      std::size_t at = wrap_ ? column_ : column_ - std::min<std::size_t>(column_, 1);
      if (at > 0 && rows_[row_][at].empty()) {
        --at;
      }
      rows_[row_][at] += text;
      return;
    }
    if (wrap_ || column_ + columns > width_) {
      wrap_ = false;
      column_ = 0;
      line_feed();
    }
    blank(column_);
    rows_[row_][column_] = text;
    if (columns == 2) {
      blank(column_ + 1);
      rows_[row_][column_ + 1].clear();  // the right half of a wide character
    }
    column_ += columns;
    if (column_ == width_) {
      column_ = width_ - 1;
      wrap_ = true;
    }
  }

  // Blanks from a row and column to the end of the display.
  void erase_display(std::size_t row, std::size_t column) {
    for (std::size_t i = column; i < width_; ++i) {
      rows_[row][i].assign(1, ' ');
    }
    if (column > 0 && rows_[row][column].empty()) {
      rows_[row][column - 1].assign(1, ' ');  // the left half of a wide character cut in two
    }
    for (std::size_t r = row + 1; r < rows_.size(); ++r) {
      rows_[r].assign(width_, " ");
    }
  }

  // Blanks a cell, and the other half of a wide character it is part of.
  void blank(std::size_t at) {
    std::vector<std::string>& row = rows_[row_];
    if (row[at].empty() && at > 0) {
      row[at - 1].assign(1, ' ');
    } else if (at + 1 < width_ && row[at + 1].empty()) {
      row[at + 1].assign(1, ' ');
    }
    row[at].assign(1, ' ');
  }

  void line_feed() {
    if (row_ + 1 < rows_.size()) {
      ++row_;
    } else {
      rows_.erase(rows_.begin());
      rows_.emplace_back(width_, " ");
    }
  }

  std::size_t width_;
  bool ambiguous_wide_;
  std::vector<std::vector<std::string>> rows_;  // cells: a character, or "" for a right half
  std::size_t row_ = 0;
  std::size_t column_ = 0;
  bool wrap_ = false;
};

}  // namespace tavro::testing
