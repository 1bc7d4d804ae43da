// The shared table of line-editing cases (tests/common/line_edit_cases.txt), run through program
// A's line editor and Terminal against an in-process screen: after the prompt and the keys, the
// screen's rows and the cursor must be as the table says. The web page's line mode is checked
// against the same table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "line_editor.hpp"
#include "scripted_port.hpp"

namespace tavro::testing {
namespace {

#ifdef TAVRO_UTF8_OUTPUT

void append_utf8(std::string& out, unsigned long code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

// The field with its escapes resolved: \\ \t \n \r \e \xHH \u{H...}.
std::string unescape(const std::string& field) {
  std::string out;
  for (std::size_t at = 0; at < field.size(); ++at) {
    if (field[at] != '\\' || at + 1 == field.size()) {
      out.push_back(field[at]);
      continue;
    }
    const char kind = field[++at];
    if (kind == 'x') {
      out.push_back(static_cast<char>(std::stoul(field.substr(at + 1, 2), nullptr, 16)));
      at += 2;
    } else if (kind == 'u') {
      const std::size_t close = field.find('}', at);
      append_utf8(out, std::stoul(field.substr(at + 2, close - at - 2), nullptr, 16));
      at = close;
    } else {
      out.push_back(kind == 't'   ? '\t'
                    : kind == 'n' ? '\n'
                    : kind == 'r' ? '\r'
                    : kind == 'e' ? '\x1b'
                                  : kind);
    }
  }
  return out;
}

struct Case {
  std::string name;
  std::size_t columns = 0;
  std::string prompt;
  std::string keys;
  std::string cursor;
  std::vector<std::string> rows;
};

std::vector<Case> read_cases() {
  std::ifstream file(LINE_EDIT_CASES);
  std::vector<Case> cases;
  for (std::string text; std::getline(file, text);) {
    if (text.empty() || text.front() == '#') {
      continue;
    }
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string field; std::getline(in, field, '\t');) {
      fields.push_back(field);
    }
    if (fields.size() < 5) {
      ADD_FAILURE() << "a case with fewer than five fields: " << text;
      continue;
    }
    Case c{fields[0], std::stoul(fields[1]), unescape(fields[2]), unescape(fields[3]), fields[4],
           {}};
    for (std::size_t i = 5; i < fields.size(); ++i) {
      c.rows.push_back(unescape(fields[i]));
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

TEST(LineEditCases, EveryCaseShowsItsRowsAndCursor) {
  const std::vector<Case> cases = read_cases();
  ASSERT_GE(cases.size(), 6U);
  constexpr EditingKeys kDefault{0x7F, 0x15, 0x04, 0x17, 0x12, 0x16, 0x03, 0x1C, 0x1A};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPort port({c.keys}, c.columns);
    Terminal terminal(port, false);
    (void)terminal.write(c.prompt);
    LineEditor editor(terminal, kDefault);
    // Lines sent with Enter are taken as the program would, until the keys run out.
    for (std::string line = editor.read_line(); !line.empty() && line.back() == '\n';
         line = editor.read_line()) {
    }
    EXPECT_EQ(port.screen.rows(), c.rows);
    EXPECT_EQ(std::to_string(port.screen.row()) + "," + std::to_string(port.screen.cursor_column()),
              c.cursor);
  }
}

#endif  // the table is UTF-8 text

}  // namespace
}  // namespace tavro::testing
