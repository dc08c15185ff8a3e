// The registry checks' file test and its 64-bit fallbacks.
#include "registry_cleaner/file_exists_wow64.h"

#include <gtest/gtest.h>

#include "registry_cleaner/testing/recording_context.h"

namespace vl::registry {
namespace {

class FileExistsWow64Test : public ::testing::Test {
 protected:
  sys::SimPlatform sim;
  testing::RecordingContext ctx{sim};
};

TEST_F(FileExistsWow64Test, PlainTestFindsFilesNotFolders) {
  ctx.AddFile("C:\\Tools\\a.exe");
  EXPECT_TRUE(ctx.FileExistsWow64("C:\\Tools\\a.exe", 0));
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\tools\\a.exe", 1));
  EXPECT_FALSE(ctx.FileExistsWow64("C:\\Tools", 0));
  EXPECT_FALSE(ctx.FileExistsWow64("C:\\Tools\\b.exe", 1));
}

TEST_F(FileExistsWow64Test, On32BitWindowsThereIsNoFallback) {
  sim.SetWow64(false);
  ctx.AddFile("C:\\Windows\\SysWOW64\\x.dll");
  ctx.AddFile("C:\\Program Files\\App\\app.exe");
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\windows\\system32\\x.dll", 1));
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program files (x86)\\app\\app.exe", 1));
}

TEST_F(FileExistsWow64Test, On64BitWindowsMode1FallsBackToTheOtherFolder) {
  sim.SetWow64(true);
  // The checks switch redirection off first, so System32 is the native folder.
  sys::ScopedFsRedirectionOff off(*sim.platform().system);
  ctx.AddFile("C:\\Windows\\SysWOW64\\x.dll");
  ctx.AddFile("C:\\Program Files\\App\\app.exe");
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\windows\\system32\\x.dll", 1));
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\windows\\system32\\x.dll", 0));
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\program files (x86)\\app\\app.exe", 1));
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program files (x86)\\app\\app.exe", 0));
  // A System32 path outside the system folder gets no fallback.
  ctx.AddFile("C:\\Other\\SysWOW64\\y.dll");
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\other\\system32\\y.dll", 1));
}

TEST_F(FileExistsWow64Test, A64BitProcessGetsTheFallbacksAndTheReverseProgramFilesOne) {
  sim.Set64BitProcess();
  ASSERT_FALSE(ctx.wow64());
  ctx.AddFile("C:\\Windows\\SysWOW64\\x.dll");
  ctx.AddFile("C:\\Program Files\\App\\app.exe");
  ctx.AddFile("C:\\Program Files (x86)\\Old\\old.exe");
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\windows\\system32\\x.dll", 1));
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\program files (x86)\\app\\app.exe", 1));
  // %ProgramFiles% of a 32-bit program expands to the 64-bit folder here.
  EXPECT_TRUE(ctx.FileExistsWow64("c:\\program files\\old\\old.exe", 1));
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program files\\old\\old.exe", 0));
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program files\\gone\\gone.exe", 1));
  // A folder merely starting like the program folder is not it.
  ctx.AddFile("C:\\Program Files (x86)x\\odd.exe");
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program filesx\\odd.exe", 1));
}

TEST_F(FileExistsWow64Test, AWow64ProcessHasNoReverseProgramFilesFallback) {
  sim.SetWow64(true);
  sys::ScopedFsRedirectionOff off(*sim.platform().system);
  ctx.AddFile("C:\\Program Files (x86)\\Old\\old.exe");
  EXPECT_FALSE(ctx.FileExistsWow64("c:\\program files\\old\\old.exe", 1));
}

}  // namespace
}  // namespace vl::registry
