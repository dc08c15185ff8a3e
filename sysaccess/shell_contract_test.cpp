// Contract tests of the shell helpers: special folders and the command line
// reduction on both backends.
#include <gmock/gmock.h>

#include "sysaccess/test_env.h"
#include "sysaccess/command_line.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/shortcut.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

using ShellContract = ContractTest;

TEST_F(ShellContract, SpecialFoldersEndWithABackslashAndDefaultToHistory) {
  std::string history = SpecialFolderPath(*p().shell, 99);
  EXPECT_FALSE(history.empty());
  EXPECT_EQ(SpecialFolderPath(*p().shell, 0), history);
  EXPECT_EQ(history, p().shell->FolderByCsidl(34) + "\\");
  for (int i = 1; i <= 27; ++i) {
    std::string path = SpecialFolderPath(*p().shell, i);
    if (!path.empty()) {
      EXPECT_EQ(path.back(), '\\') << i;
    }
  }
  std::string windows = SpecialFolderPath(*p().shell, 24);
  EXPECT_TRUE(EqualsNoCase(windows, p().system->EnvironmentVariable("SystemRoot") + "\\")) << windows;
  EXPECT_TRUE(EqualsNoCase(SpecialFolderPath(*p().shell, 25), windows + "system32\\"));
  EXPECT_TRUE(fs().DirectoryExists(SpecialFolderPath(*p().shell, 26)));
}

TEST_F(ShellContract, CommandLineToPathFollowsEveryStep) {
  std::string windows = SpecialFolderPath(*p().shell, 24);
  std::string system = SpecialFolderPath(*p().shell, 25);
  std::string root = p().system->EnvironmentVariable("SystemRoot");
  EXPECT_EQ(CommandLineToPath(p(), "\"C:\\Program Files\\App\\app.exe\" -n"), "c:\\program files\\app\\app.exe");
  EXPECT_EQ(CommandLineToPath(p(), "  \"C:\\Program Files\\App\\App.EXE\"  "), "c:\\program files\\app\\app.exe");
  EXPECT_EQ(CommandLineToPath(p(), "rundll32.exe shell32.dll,Control_RunDLL"), system + "rundll32.exe");
  EXPECT_EQ(CommandLineToPath(p(), "\\SystemRoot\\System32\\drivers\\x.sys"), windows + "system32\\drivers\\x.sys");
  EXPECT_EQ(CommandLineToPath(p(), "system32\\drivers\\y.sys"), system + "drivers\\y.sys");
  EXPECT_EQ(CommandLineToPath(p(), "\\??\\C:\\Windows\\x.sys"), "");
  EXPECT_EQ(CommandLineToPath(p(), "   "), "");
  EXPECT_EQ(CommandLineToPath(p(), "%SystemRoot%\\system32\\svchost.exe -k netsvcs"), root + "\\system32\\svchost.exe ");
  EXPECT_EQ(CommandLineToPath(p(), "C:\\Tools\\run.exe /q"), "c:\\tools\\run.exe");
  EXPECT_EQ(CommandLineToPath(p(), "C:\\Tools\\run.cmd %1"), "c:\\tools\\run.cmd");
  EXPECT_EQ(CommandLineToPath(p(), "C:\\Tools\\icons.dll,3"), "c:\\tools\\icons.dll");
  EXPECT_EQ(CommandLineToPath(p(), "%VL_UNDEFINED_VAR%\\x.exe"), windows + "\\x.exe");
}

TEST_F(ShellContract, QuotedPathsCommasAndNetworkPathsAreKeptWhole) {
  // Commas, switches and blanks inside quotes belong to the path.
  EXPECT_EQ(CommandLineToPath(p(), "\"C:\\Program Files\\Acme, Inc\\a.exe\" /min"),
            "c:\\program files\\acme, inc\\a.exe");
  EXPECT_EQ(CommandLineToPath(p(), "\"C:\\Tools /x\\run %1.exe\""), "c:\\tools /x\\run %1.exe");
  // Unquoted, the comma still ends a rundll32-style line, unless the text
  // is a path and not a command line.
  EXPECT_EQ(CommandLineToPath(p(), "C:\\Data\\Q1, final.xlsx"), "c:\\data\\q1");
  EXPECT_EQ(CommandLineToPath(p(), "C:\\Data\\Q1, final.xlsx", CommaRule::kPartOfPath), "c:\\data\\q1, final.xlsx");
  EXPECT_EQ(CommandLineToPath(p(), "\\\\Server\\Share\\a.doc"), "\\\\server\\share\\a.doc");
  EXPECT_EQ(CommandLineToPath(p(), "\"\\\\server\\share\\setup.exe\" /u"), "\\\\server\\share\\setup.exe");
}

TEST_F(ShellContract, BareProgramNameGoesToTheSystemFolderOnlyWhenItIsThere) {
  std::string windows = SpecialFolderPath(*p().shell, 24);
  std::string system = SpecialFolderPath(*p().shell, 25);
  std::string name = "vl_cmdtest_" + folder_.substr(folder_.rfind('_') + 1);
  EXPECT_EQ(CommandLineToPath(p(), name), windows + name + ".exe");
  ASSERT_TRUE(fs().WriteFileBytes(system + name + ".exe", "MZ"));
  EXPECT_EQ(CommandLineToPath(p(), name), system + name + ".exe");
  EXPECT_EQ(CommandLineToPath(p(), name + " -arg"), system + name + ".exe");
  EXPECT_EQ(CommandLineToPath(p(), name + ".cpl"), windows + name + ".cpl");
  fs().RemoveFile(system + name + ".exe");
}

TEST_F(ShellContract, ShortcutWithoutLinkInfoIsRefusedBeforeTheShellIsAsked) {
  std::string header(0x4C, '\0');
  header[0] = 0x4C;
  header[20] = 0x01;  // item list only: not a file-system object
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\panel.lnk", header));
  TLinkInfo info;
  EXPECT_FALSE(ReadShortcut(fs(), *p().shell, folder_ + "\\panel.lnk", info));
  EXPECT_EQ(ShortcutTarget(fs(), *p().shell, folder_ + "\\missing.lnk"), "");
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\short.lnk", "L"));
  EXPECT_FALSE(ReadShortcut(fs(), *p().shell, folder_ + "\\short.lnk", info));
}

}  // namespace
}  // namespace vl::sys
