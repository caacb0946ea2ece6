// The host probe and the box parameters: the version query in, the
// confirmation text, platform code and plan selector out.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "engine/InfUpdater.h"
#include "host/FaultInjectingHost.h"
#include "support/TestMachine.h"
#include "support/VersionHost.h"

namespace {

// The version record of a Windows of that platform, version and build.
const auto Version = VersionHost::Version;

std::string Prompt(const std::string& version, const std::string& build) {
  return "Your OS now is " + version + ",Build is " + build +
         " \n\r If you want update TX chip info, \n\r pls select OK else select Cancel..";
}

struct ProbeCase {
  const char* name;
  std::optional<win::OSVERSIONINFOA> answer;  // none: the query fails
  std::string text;
  std::int32_t platformCode;
  std::int32_t selector;
};

void PrintTo(const ProbeCase& probe, std::ostream* out) { *out << probe.name; }

constexpr std::uint32_t k95 = win::kVerPlatformWin32Windows;
constexpr std::uint32_t kNt = win::kVerPlatformWin32Nt;

const ProbeCase kProbeCases[] = {
    {"Win95Build950", Version(k95, 4, 0, 0x040003B6), Prompt("4.00", "950"), 1, 1},
    {"Win95OtherBuild", Version(k95, 4, 0, 0x040003B7), Prompt("4.00", "951"), 1, 2},
    {"Win98", Version(k95, 4, 10, 0x040A08AE), Prompt("4.10", "2222"), 1, 2},
    // Only the low 16 bits of the build number decide; the version bytes
    // and the version fields of the record play no part.
    {"Win95OtherVersionBytesBuild950", Version(k95, 7, 7, 0x050103B6), Prompt("5.01", "950"), 1, 1},
    {"WinMe", Version(k95, 4, 90, 0x045A0BB8), Prompt("4.90", "3000"), 1, 2},
    {"Nt40", Version(kNt, 4, 0, 1381), Prompt("4.00", "1381"), 2, 2},
    {"NtXp", Version(kNt, 5, 1, 2600), Prompt("5.01", "2600"), 2, 2},
    {"NtMinorOfTwoDigits", Version(kNt, 6, 10, 7601), Prompt("6.10", "7601"), 2, 2},
    {"NtMinorOfThreeDigits", Version(kNt, 4, 123, 1), Prompt("4.123", "1"), 2, 2},
    {"NtWholeBuildNumber", Version(kNt, 4, 0, 0x12345), Prompt("4.00", "74565"), 2, 2},
    {"Win32s", Version(win::kVerPlatformWin32s, 3, 10, 0), "", 9, 9},
    // Nothing is written for an unknown platform or a failed query: the
    // selector stays outside 1 and 2, and the run calls the host unsupported.
    {"UnknownPlatform", Version(3, 4, 0, 950), "", 0, 0},
    {"FailedQuery", std::nullopt, "", 0, 0},
};

class HostProbe : public testing::TestWithParam<ProbeCase> {};

TEST_P(HostProbe, FormatsTheTextAndPicksTheSelector) {
  TestMachine machine;
  const std::optional<win::OSVERSIONINFOA>& answer = GetParam().answer;
  VersionHost version(machine.Host(), answer);
  FaultInjectingHost host(version);
  if (!answer) host.Plan().FailCall(HostCall::kGetVersionExA, 1);
  InfUpdater updater(host, nullptr);

  EXPECT_EQ(host.Plan().Calls(HostCall::kGetVersionExA), 1u);
  EXPECT_EQ(version.sizeAsked, answer ? 148u : 0u);
  ASSERT_NE(updater.GetPromptParams(), nullptr);
  EXPECT_EQ(std::string(updater.GetPromptParams()->lpszText), GetParam().text);
  EXPECT_EQ(updater.GetPlatformCode(), GetParam().platformCode);
  EXPECT_EQ(updater.GetPlanSelector(), GetParam().selector);
}

INSTANTIATE_TEST_SUITE_P(Versions, HostProbe, testing::ValuesIn(kProbeCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) {
                           return info.param.name;
                         });

TEST(HostProbeText, SeparatesItsLinesWithLineFeedThenCarriageReturn) {
  TestMachine machine;
  VersionHost host(machine.Host(), Version(k95, 4, 0, 0x040003B6));
  InfUpdater updater(host, nullptr);

  const std::string text = updater.GetPromptParams()->lpszText;
  EXPECT_EQ(
      text,
      "Your OS now is 4.00,Build is 950 \x0A\x0D If you want update TX chip info, \x0A\x0D pls "
      "select OK else select Cancel..");
  EXPECT_EQ(text.size(), 106u);
}

TEST(PromptParams, FillEveryFieldOfTheConfirmationBox) {
  TestMachine machine;
  VersionHost host(machine.Host(), Version(kNt, 4, 0, 1381));
  const win::HWND banner = reinterpret_cast<win::HWND>(std::uintptr_t{0x1230});
  InfUpdater updater(host, banner);

  const win::MSGBOXPARAMSA* params = updater.GetPromptParams();
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(params->cbSize, sizeof(win::MSGBOXPARAMSA));
  EXPECT_EQ(params->hwndOwner, banner);
  EXPECT_EQ(params->hInstance, host.system.GetModuleHandleA(nullptr));
  EXPECT_EQ(std::string(params->lpszText), Prompt("4.00", "1381"));
  EXPECT_EQ(std::string(params->lpszCaption), "Tovi Mother Board");
  EXPECT_EQ(params->dwStyle, 0x81u);
  EXPECT_EQ(params->lpszIcon, win::MakeIntResource(12));
  EXPECT_EQ(params->dwContextHelpId, 0u);
  EXPECT_EQ(params->lpfnMsgBoxCallback, nullptr);
  EXPECT_EQ(params->dwLanguageId, 0u);
}

}  // namespace
