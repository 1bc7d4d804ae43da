// Every character of the compile-time table against the platform's own code page 932
// converter, in both directions, and the conversion of whole texts.
#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cp932.hpp"
#include "screen_text.hpp"

namespace {

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() {
    if (valid()) {
      iconv_close(cd_);
    }
  }
  [[nodiscard]] bool valid() const {
    // iconv_open's failure value is the handle (iconv_t)-1, which only a cast can spell.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast,performance-no-int-to-ptr)
    return cd_ != reinterpret_cast<iconv_t>(-1);
  }

  // The converted bytes, or nullopt when the converter refuses them.
  std::optional<std::string> operator()(const std::string& in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string input = in;
    std::string out(16, '\0');
    char* ip = input.data();
    std::size_t il = input.size();
    char* op = out.data();
    std::size_t ol = out.size();
    if (iconv(cd_, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0) {
      return std::nullopt;
    }
    out.resize(out.size() - ol);
    return out;
  }

 private:
  iconv_t cd_;
};

using screen_text::utf8_of;

std::string bytes_of(std::uint16_t b) {
  std::string s;
  if (b > 0xFF) {
    s += static_cast<char>(b >> 8);
  }
  s += static_cast<char>(b & 0xFF);
  return s;
}

TEST(Cp932Table, EveryEntryMatchesThePlatformConverter) {
  Iconv encode("CP932", "UTF-8");
  Iconv decode("UTF-8", "CP932");
  ASSERT_TRUE(encode.valid() && decode.valid()) << "the platform has no CP932 converter";
  std::size_t checked = 0;
  char32_t previous = 0;
  for (const auto& m : cp932::kTable) {
    if (checked > 0) {
      ASSERT_GT(m.code_point, previous) << "the table must be sorted for its binary search";
    }
    previous = m.code_point;
    const std::string utf8 = utf8_of(m.code_point);
    EXPECT_EQ(encode(utf8), bytes_of(m.bytes)) << "U+" << std::hex << m.code_point;
    EXPECT_EQ(decode(bytes_of(m.bytes)), utf8) << "U+" << std::hex << m.code_point;
    ++checked;
  }
  EXPECT_GT(checked, 9000U) << "the whole code page, not a selection";
}

TEST(Cp932Table, HoldsEveryCharacterTheCodePageDecodesTo) {
  Iconv decode("UTF-8", "CP932");
  ASSERT_TRUE(decode.valid());
  std::set<std::string> in_table;
  for (const auto& m : cp932::kTable) {
    in_table.insert(utf8_of(m.code_point));
  }
  std::vector<std::string> sequences;
  for (int single = 0; single <= 0xFF; ++single) {
    sequences.emplace_back(1, static_cast<char>(single));
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) {
      continue;  // single-byte half-width katakana, never a lead byte
    }
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      sequences.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  for (const auto& sequence : sequences) {
    if (const auto utf8 = decode(sequence)) {
      EXPECT_TRUE(in_table.contains(*utf8)) << std::hex << static_cast<int>(sequence[0] & 0xFF);
    }
  }
}

TEST(Cp932Text, ConvertsTheCharactersThatNeedCare) {
#ifndef TAVRO_UTF8_OUTPUT
  EXPECT_EQ("　―～…＞＝→ﾟ"_sj, "\x81\x40\x81\x5C\x81\x60\x81\x63\x81\x84\x81\x81\x81\xA8\xDF");
  EXPECT_EQ("mine game\n"_sj, "mine game\n");
  EXPECT_EQ("地雷"_sj, "\x92\x6E\x97\x8B");
#else
  EXPECT_EQ("地雷～"_sj, "地雷～");
#endif
  EXPECT_EQ(""_sj.size(), 0U);
}

}  // namespace
