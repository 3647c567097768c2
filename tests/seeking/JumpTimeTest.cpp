// The jump-to-time text: which forms give which second, and what gives none.
#include <gtest/gtest.h>

#include <string>

#include "playback/Seeking.h"

namespace {

struct ParseCase {
    const char* name;
    std::string text;
    double seconds;  // -1: no time
};

class JumpTime : public ::testing::TestWithParam<ParseCase> {};

TEST_P(JumpTime, Parses) {
    const ParseCase& c = GetParam();
    EXPECT_DOUBLE_EQ(tav::ParseJumpTime(c.text), c.seconds) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Forms, JumpTime,
    ::testing::Values(ParseCase{"hours", "1:02:03", 3723}, ParseCase{"seconds_only", "90", 90},
                      ParseCase{"letters", "abc", -1}, ParseCase{"empty", "", -1},
                      ParseCase{"out_of_range_parts_add_up", "99:99:99", 99 * 3600 + 99 * 60 + 99},
                      ParseCase{"minutes", "1:30", 90}, ParseCase{"single_digit_seconds", "2:5", 125},
                      ParseCase{"fraction", "12.5", 12.5}, ParseCase{"exponent", "1e2", 100},
                      ParseCase{"leading_space", "  1:02", 62}, ParseCase{"spaces_inside_numbers", "1: 02: 03", 3723},
                      ParseCase{"trailing_text_ignored", "1:02:03 later", 3723},
                      ParseCase{"third_part_missing", "1:2:", 62}, ParseCase{"colon_only_after_number", "7:", 7},
                      ParseCase{"space_before_colon_ends_the_form", "1 :30", 1},
                      ParseCase{"negative", "-5", -5}, ParseCase{"sign_twice", "+-5", -1},
                      // Too large for an int: still a time (past any end), never a wrapped one.
                      ParseCase{"huge_hours", "99999999999:0:0", 99999999999.0 * 3600},
                      ParseCase{"zero", "0:00:00", 0},
                      // Only the first 64 characters are read.
                      ParseCase{"digit_at_64", std::string(64, ' ') + "5", -1},
                      ParseCase{"digit_at_63", std::string(63, ' ') + "5", 5}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
