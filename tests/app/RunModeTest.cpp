// The run-mode decision and the start-up order.
#include "app/uRunMode.h"

#include <gtest/gtest.h>

#include "base/uErrors.h"

namespace lumora {
namespace {

TRunMode Mode(std::vector<std::string> args, const char* program = "C:\\Windows\\Garden.scr") {
  return DecideRunMode(args, program).Mode;
}

TEST(RunMode, ModeArgumentIsUpperCasedAndCutToTwoCharacters) {
  EXPECT_EQ(ModeArgument("/s"), "/S");
  EXPECT_EQ(ModeArgument("/S:1234"), "/S");
  EXPECT_EQ(ModeArgument("/Sxyz"), "/S");
  EXPECT_EQ(ModeArgument("s"), "S");
  EXPECT_EQ(ModeArgument("sx"), "SX");
  EXPECT_EQ(ModeArgument(""), "");
}

TEST(RunMode, TableForAScreensaverFile) {
  for (const char* arg : {"/a", "-A", "a"}) EXPECT_EQ(Mode({arg, "1"}), TRunMode::PasswordChange) << arg;
  for (const char* arg : {"/p", "-P", "P"}) EXPECT_EQ(Mode({arg, "1"}), TRunMode::Preview) << arg;
  for (const char* arg : {"/s", "-S", "S", "/S:99"}) EXPECT_EQ(Mode({arg}), TRunMode::Saver) << arg;
  for (const char* arg : {"/c", "-C", "C", "/c:1234"}) EXPECT_EQ(Mode({arg}), TRunMode::Config) << arg;
  EXPECT_EQ(Mode({}), TRunMode::Config);
  EXPECT_EQ(Mode({""}), TRunMode::Config);
  for (const char* arg : {"SX", "/X", "/", "-", "x"}) EXPECT_EQ(Mode({arg}), TRunMode::Nothing) << arg;
  EXPECT_FALSE(DecideRunMode({"/s"}, "Garden.scr").Windowed);
}

TEST(RunMode, ExeProgramRunsTheWindowedSaverForAllButPasswordAndPreview) {
  for (const char* program : {"C:\\Garden.exe", "C:\\Garden.EXE", "/opt/garden.Exe"}) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{}, {"/c"}, {"/s"}, {"SX"}, {"/c:12"}}) {
      TRunDecision decision = DecideRunMode(args, program);
      EXPECT_EQ(decision.Mode, TRunMode::Saver) << program;
      EXPECT_TRUE(decision.Windowed) << program;
    }
    EXPECT_EQ(Mode({"/p", "5"}, program), TRunMode::Preview);
    EXPECT_EQ(Mode({"/a", "5"}, program), TRunMode::PasswordChange);
  }
  EXPECT_FALSE(IsWindowedProgram("C:\\dir.exe\\Garden"));
  EXPECT_FALSE(IsWindowedProgram("Garden.exe.scr"));
}

TEST(RunMode, HandleArgument) {
  EXPECT_EQ(DecideRunMode({"/p", "0x1f"}, "a.scr").HandleArgument, "0X1F");
  EXPECT_EQ(HandleArgumentValue("1234"), 1234);
  EXPECT_EQ(HandleArgumentValue("-5"), -5);
  EXPECT_EQ(HandleArgumentValue("$FF"), 255);
  EXPECT_EQ(HandleArgumentValue("0XFFFFFFFF"), -1);
  for (const char* bad : {"", "12a", "1.0", "2147483648", "0x", "$"}) {
    try {
      HandleArgumentValue(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& error) {
      EXPECT_EQ(std::string(error.what()), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

// Records what the start-up order asks of the shell.
class FakeHost : public TStartupHost {
 public:
  platform::TInstanceGuard::Result instance = platform::TInstanceGuard::Result::Acquired;
  std::vector<std::string> calls;

  platform::TInstanceGuard::Result AcquireInstance() override {
    calls.push_back("guard");
    return instance;
  }
  void ChangePassword(int32_t parent) override { calls.push_back("password " + std::to_string(parent)); }
  void PaintPreview(int32_t window) override { calls.push_back("preview " + std::to_string(window)); }
  int RunSaver(bool windowed) override {
    calls.push_back(windowed ? "window" : "saver");
    return 0;
  }
  int RunConfig() override {
    calls.push_back("config");
    return 0;
  }
  void ReportError(const std::string& message) override { calls.push_back("error " + message); }
};

using Calls = std::vector<std::string>;

TEST(Startup, PasswordChangeRunsBeforeAndWithoutTheInstanceGuard) {
  FakeHost host;
  host.instance = platform::TInstanceGuard::Result::AlreadyRunning;
  EXPECT_EQ(RunStartup({"/a", "1234"}, "Garden.scr", host), 0);
  EXPECT_EQ(host.calls, Calls{"password 1234"});
}

TEST(Startup, SecondInstanceEndsSilently) {
  for (const char* arg : {"/s", "/c", "/p"}) {
    FakeHost host;
    host.instance = platform::TInstanceGuard::Result::AlreadyRunning;
    EXPECT_EQ(RunStartup({arg, "1"}, "Garden.scr", host), 0);
    EXPECT_EQ(host.calls, Calls{"guard"}) << arg;
  }
}

TEST(Startup, ExactlyOneModeRuns) {
  struct Case {
    std::vector<std::string> args;
    const char* program;
    Calls calls;
  };
  const Case cases[] = {
      {{"/s"}, "Garden.scr", {"guard", "saver"}},
      {{"/c"}, "Garden.exe", {"guard", "window"}},  // and no dialog afterwards
      {{}, "Garden.scr", {"guard", "config"}},
      {{"/p", "1234"}, "Garden.scr", {"guard", "preview 1234"}},
      {{"SX"}, "Garden.scr", {"guard"}},
  };
  for (const Case& c : cases) {
    FakeHost host;
    host.instance = platform::TInstanceGuard::Result::Unavailable;  // runs as the only instance
    RunStartup(c.args, c.program, host);
    EXPECT_EQ(host.calls, c.calls) << c.program;
  }
}

TEST(Startup, BadHandleIsReportedBeforeAnythingIsPainted) {
  FakeHost host;
  EXPECT_EQ(RunStartup({"/p"}, "Garden.scr", host), 1);
  EXPECT_EQ(host.calls, (Calls{"guard", "error '' is not a valid integer value"}));
  FakeHost password;
  EXPECT_EQ(RunStartup({"/a", "x1"}, "Garden.scr", password), 1);
  EXPECT_EQ(password.calls, (Calls{"error 'X1' is not a valid integer value"}));
}

}  // namespace
}  // namespace lumora
