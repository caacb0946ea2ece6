// Temporary and backup names derived from an INF file's full path.
#include <gtest/gtest.h>

#include <ostream>

#include "inf/FileNames.h"
#include "support/UpdaterProbe.h"

namespace {

struct NameCase {
  const char* path;
  const char* tempPath;
  const char* backupBase;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.path; }

class FileNamesTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNamesTest, DerivesFromTheFileNamePartOnly) {
  const NameCase& c = GetParam();
  const Text path = MakeText(c.path);
  Text tempPath;
  Text backupBase;
  ASSERT_TRUE(MakeTempPath(path, tempPath));
  ASSERT_TRUE(MakeBackupBase(path, backupBase));
  EXPECT_EQ(ToString(tempPath), c.tempPath);
  EXPECT_EQ(ToString(backupBase), c.backupBase);
  EXPECT_NE(ToString(tempPath), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileNamesTest,
    ::testing::Values(
        NameCase{R"(C:\WINDOWS\INF\mshdc.inf)", R"(C:\WINDOWS\INF\mshdc.tmp)",
                 R"(C:\WINDOWS\INF\mshdc.OR)"},
        NameCase{R"(C:\WINDOWS\INF\MACHINE.INF)", R"(C:\WINDOWS\INF\MACHINE.tmp)",
                 R"(C:\WINDOWS\INF\MACHINE.OR)"},
        NameCase{R"(C:\WINDOWS\INF\a.b.inf)", R"(C:\WINDOWS\INF\a.b.tmp)",
                 R"(C:\WINDOWS\INF\a.b.OR)"},
        NameCase{R"(C:\WINDOWS\INF\name.)", R"(C:\WINDOWS\INF\name.tmp)",
                 R"(C:\WINDOWS\INF\name.OR)"},
        NameCase{R"(C:\WIN.95\INF\mshdc.inf)", R"(C:\WIN.95\INF\mshdc.tmp)",
                 R"(C:\WIN.95\INF\mshdc.OR)"},
        NameCase{R"(C:\WIN.95\INF\mshdc)", R"(C:\WIN.95\INF\mshdc.tmp)",
                 R"(C:\WIN.95\INF\mshdc.OR)"},
        NameCase{"C:/WIN.95/INF/mshdc", "C:/WIN.95/INF/mshdc.tmp", "C:/WIN.95/INF/mshdc.OR"},
        NameCase{"C:mshdc", "C:mshdc.tmp", "C:mshdc.OR"},
        NameCase{"mshdc", "mshdc.tmp", "mshdc.OR"},
        NameCase{R"(C:\WINDOWS\INF\old.tmp)", R"(C:\WINDOWS\INF\old.tmp.tmp)",
                 R"(C:\WINDOWS\INF\old.OR)"},
        NameCase{R"(C:\WINDOWS\INF\OLD.TMP)", R"(C:\WINDOWS\INF\OLD.TMP.tmp)",
                 R"(C:\WINDOWS\INF\OLD.OR)"},
        NameCase{R"(C:\WINDOWS\INF\old.Tmp)", R"(C:\WINDOWS\INF\old.Tmp.tmp)",
                 R"(C:\WINDOWS\INF\old.OR)"},
        NameCase{R"(C:\WINDOWS\INF\x.tmpl)", R"(C:\WINDOWS\INF\x.tmp)", R"(C:\WINDOWS\INF\x.OR)"},
        NameCase{R"(C:\WINDOWS\INF\x.tm)", R"(C:\WINDOWS\INF\x.tmp)", R"(C:\WINDOWS\INF\x.OR)"}));

TEST(BackupNames, AreTheBaseFollowedByOneDigit) {
  const Text base = MakeText(R"(C:\WINDOWS\INF\mshdc.OR)");
  for (int number = 0; number <= 9; ++number) {
    Text name;
    ASSERT_TRUE(MakeBackupName(base, number, name));
    EXPECT_EQ(ToString(name), R"(C:\WINDOWS\INF\mshdc.OR)" + std::to_string(number));
  }
}

}  // namespace
