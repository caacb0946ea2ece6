// Load and save round trips of arbitrary file contents: the file is cut at
// CR LF into lines, and saved as every line followed by CR LF, the old text
// kept whole under its backup name. A file with a zero byte is refused and
// left alone; an empty one counts as missing and gets no backup.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzMachine.h"
#include "support/UpdaterProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzMachine& machine = fuzz::FuzzMachine::Instance();
  machine.Reset();
  const std::string text(reinterpret_cast<const char*>(data), size);
  machine.WriteInf("x.inf", text);
  UpdaterProbe engine(machine.Services());
  engine.LoadInf(std::string("x.inf"));
  if (text.find('\0') != std::string::npos) {
    fuzz::Require(engine.GetError() == 1 && !engine.HasDocument(), "a zero byte refuses the file");
    engine.SaveInf();
    fuzz::Require(engine.GetError() == 1, "a refused file is not saved");
    fuzz::Require(machine.Files() == std::map<std::string, std::string>{{"x.inf", text}},
                  "a refused file is left alone");
    return 0;
  }
  fuzz::Require(engine.GetError() == 0, "a file without a zero byte loads");
  const std::vector<std::string> expected =
      text.empty() ? std::vector<std::string>{} : fuzz::CutAt(text, "\r\n");
  fuzz::Require(engine.Lines() == expected, "the lines are the text cut at CR LF");
  fuzz::Require(engine.Existed() == (text.empty() ? 0 : 1), "only a file with text existed");
  engine.SaveInf();
  fuzz::Require(engine.GetError() == 0, "the save succeeds");
  std::map<std::string, std::string> after = {{"x.inf", text.empty() ? "" : text + "\r\n"}};
  if (!text.empty()) after["x.OR0"] = text;
  fuzz::Require(machine.Files() == after, "saved: the text with one more CR LF, the old one kept");
  return 0;
}
