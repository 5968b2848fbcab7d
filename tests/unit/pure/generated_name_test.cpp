#include "export/generated_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A clock that hands out scripted readings one after another and remembers how many were taken.
class ScriptedClock {
 public:
  explicit ScriptedClock(std::vector<app::LocalTime> readings) : readings_(std::move(readings)) {}
  app::Clock clock() {
    return [this] {
      const app::LocalTime t = readings_.at(next_ < readings_.size() ? next_ : readings_.size() - 1);
      ++next_;
      return t;
    };
  }
  std::size_t taken() const { return next_; }

 private:
  std::vector<app::LocalTime> readings_;
  std::size_t next_ = 0;
};

TEST(GeneratedFileName, RunsPlainDecimalsTogetherWithoutPadding) {
  struct Case {
    app::LocalTime at;
    int icon;
    std::wstring name;
  };
  const Case cases[] = {
      {{2011, 6, 17, 9, 5, 3}, 12, L"2011" L"6" L"17" L"9" L"5" L"3" L"12.ico"},
      {{2024, 12, 31, 23, 59, 59}, 184, L"20241231235959184.ico"},
      {{2000, 1, 1, 0, 0, 0}, 1, L"2000" L"1" L"1" L"0" L"0" L"0" L"1.ico"},
  };
  for (const Case& c : cases) {
    ScriptedClock clock({c.at});
    EXPECT_EQ(app::generatedFileName(clock.clock(), c.icon), c.name);
    EXPECT_EQ(clock.taken(), 6u) << "one reading per piece";
  }
}

TEST(GeneratedFileName, TakesEachPieceFromItsOwnReadingInOrder) {
  // Every reading differs in every field, so each piece shows which reading it came from.
  std::vector<app::LocalTime> readings;
  for (int r = 0; r < 6; ++r) readings.push_back({2000 + r, 1 + r, 10 + r, 2 + r, 30 + r, 40 + r});
  ScriptedClock clock(readings);
  // Year of reading 0, month of reading 1, day of 2, hour of 3, minute of 4, second of 5.
  EXPECT_EQ(app::generatedFileName(clock.clock(), 7), L"2000" L"2" L"12" L"5" L"34" L"45" L"7.ico");
}

TEST(GeneratedFileName, MixesTwoMomentsWhenTheClockCrossesABoundary) {
  const app::LocalTime before{2011, 6, 17, 9, 59, 59};
  const app::LocalTime after{2011, 6, 17, 10, 0, 0};
  // The clock turns between the hour reading (the fourth) and the minute reading (the fifth).
  ScriptedClock hourTurn({before, before, before, before, after, after});
  EXPECT_EQ(app::generatedFileName(hourTurn.clock(), 3), L"2011" L"6" L"17" L"9" L"0" L"0" L"3.ico");

  // A new year between the year reading and the month reading: the old year with January.
  const app::LocalTime newYearsEve{2011, 12, 31, 23, 59, 59};
  const app::LocalTime newYear{2012, 1, 1, 0, 0, 0};
  ScriptedClock yearTurn({newYearsEve, newYear, newYear, newYear, newYear, newYear});
  EXPECT_EQ(app::generatedFileName(yearTurn.clock(), 1), L"2011" L"1" L"1" L"0" L"0" L"0" L"1.ico");
}

TEST(GeneratedFileName, DifferentMomentsCanGiveTheSameName) {
  const auto name = [](app::LocalTime t, int icon) {
    ScriptedClock clock({t});
    return app::generatedFileName(clock.clock(), icon);
  };
  EXPECT_EQ(name({2011, 1, 11, 0, 0, 0}, 1), name({2011, 11, 1, 0, 0, 0}, 1));
  EXPECT_EQ(name({2011, 1, 1, 1, 12, 0}, 1), name({2011, 1, 1, 11, 2, 0}, 1));
  EXPECT_EQ(name({2011, 1, 1, 0, 0, 1}, 12), name({2011, 1, 1, 0, 0, 11}, 2));
}

TEST(UniqueName, AppendsTheFirstFreeSuffixBeforeTheExtension) {
  struct Case {
    std::wstring path;
    std::set<std::wstring> taken;
    std::wstring result;
  };
  const Case cases[] = {
      {L"C:\\x\\icon\\a.ico", {}, L"C:\\x\\icon\\a.ico"},
      {L"C:\\x\\icon\\a.ico", {L"C:\\x\\icon\\a.ico"}, L"C:\\x\\icon\\a_2.ico"},
      {L"C:\\x\\icon\\a.ico",
       {L"C:\\x\\icon\\a.ico", L"C:\\x\\icon\\a_2.ico", L"C:\\x\\icon\\a_3.ico"},
       L"C:\\x\\icon\\a_4.ico"},
      // A gap is filled: _2 is free again although _3 exists.
      {L"C:\\x\\icon\\a.ico", {L"C:\\x\\icon\\a.ico", L"C:\\x\\icon\\a_3.ico"}, L"C:\\x\\icon\\a_2.ico"},
      // A dot in a folder name is no extension.
      {L"C:\\x.y\\icon\\a", {L"C:\\x.y\\icon\\a"}, L"C:\\x.y\\icon\\a_2"},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> asked;
    const auto taken = [&](const std::wstring& p) {
      asked.push_back(p);
      return c.taken.count(p) > 0;
    };
    EXPECT_EQ(app::uniqueName(c.path, taken), c.result);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), c.path) << "the generated name itself is tried first";
  }
}

TEST(UniqueName, GivesUpInsteadOfLoopingWhenEveryNameIsTaken) {
  EXPECT_EQ(app::uniqueName(L"a.ico", [](const std::wstring&) { return true; }), L"");
}

}  // namespace
