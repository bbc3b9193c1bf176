// What the program's shell does for the core: show the user a message, and say where programs
// are installed. The system's own shell is the default; the Linux shell brings a real dialog,
// and tests bring their own folders, all chosen at run time.
#pragma once

#include <string>

namespace lumora {

class TShell {
 public:
  virtual ~TShell() = default;
  // Shows `text` with an OK button and returns when the user has acknowledged it.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // The folder where programs are installed as the system records it, ending with the
  // delimiter; empty when there is none.
  virtual std::string RecordedProgramFilesDir();
  // That folder; without one, the program's own folder without its first "LumoraStudio"
  // folder (any letter case), which is then shown in a message.
  std::string ProgramFilesDir();
};

// The system's message box and records.
class TSystemShell : public TShell {
 public:
  void ShowMessage(const std::string& text, const std::string& caption) override;
};

// The shell used where no other was given.
TShell& SystemShell();

}  // namespace lumora
