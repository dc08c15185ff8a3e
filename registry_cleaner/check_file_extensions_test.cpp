// Category 3: extension keys whose one value is the unnamed one, without text.
#include <gmock/gmock.h>

#include "registry_cleaner/check_classes_testing.h"
#include "registry_cleaner/scan_types.h"
#include "registry_cleaner/testing/recording_context.h"

namespace vl::registry {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Describe;

constexpr char kFileExts[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

class FileExtensionsTest : public ::testing::Test {
 protected:
  std::vector<std::string> Scan() { return Describe(ctx.Run(kFileExtensions)); }

  sys::SimPlatform sim;
  testing::RecordingContext ctx{sim};
};

TEST_F(FileExtensionsTest, OneValueWithoutTextAndNoSubkeysIsReported) {
  std::string big(2000, 'z');
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\.abc]
@=""
[HKEY_CLASSES_ROOT\.blank]
@="  "
[HKEY_CLASSES_ROOT\.ctype]
"Content Type"="application/x-abc"
[HKEY_CLASSES_ROOT\.none]
[HKEY_CLASSES_ROOT\.pair]
@=""
"Content Type"="text/plain"
[HKEY_CLASSES_ROOT\.sub]
@=""
[HKEY_CLASSES_ROOT\.sub\OpenWithProgids]
[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
[HKEY_CLASSES_ROOT\noext]
@=""
)" "[HKEY_CLASSES_ROOT\\.zbig]\n@=\"\"\n\"Blob\"=\"" + big + "\"\n");
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\.abc [] =  #106", "HKCR\\.blank [] =  #106"));
  for (const auto& p : ctx.problems) EXPECT_EQ(p.access, sys::kMaskAll);
}

TEST_F(FileExtensionsTest, UserFileExtsFollowTheClassesRootWithTheirOwnRoot) {
  ctx.LoadReg(std::string("REGEDIT4\n"
                          "[HKEY_CLASSES_ROOT\\.zzz]\n@=\"\"\n"
                          "[") + kFileExts + "\\.abc]\n\"Progid\"=\"\"\n"
              "[" + kFileExts + "\\.doc\\OpenWithList]\n\"a\"=\"wordpad.exe\"\n"
              "[" + kFileExts + "\\.aaa]\n@=\"\"\n"
              "[" + kFileExts + "\\NotAnExtension]\n@=\"\"\n");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\.zzz [] =  #106",
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.aaa [] =  #106"));
  // The line names the pass, once per extension.
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_CLASSES_ROOT\\", std::string(kFileExts),
                                        std::string(kFileExts), std::string(kFileExts)));
}

// Wine's own .bmp, .avi, .zip ... hold "Content Type" alone: data, not an empty key.
TEST_F(FileExtensionsTest, ANamedValueAloneIsDataNotAnEmptyKey) {
  ctx.LoadReg(std::string("REGEDIT4\n"
                          "[HKEY_CLASSES_ROOT\\.bmp]\n\"Content Type\"=\"image/bmp\"\n"
                          "[HKEY_CLASSES_ROOT\\.named]\n\"Other\"=\"\"\n"
                          "[HKEY_CLASSES_ROOT\\.unnamed]\n@=\"\"\n"
                          "[") + kFileExts + "\\.zip]\n\"Progid\"=\"\"\n");
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\.unnamed [] =  #106"));
}

TEST_F(FileExtensionsTest, ASubkeyTooLongToListStillCounts) {
  std::string longName(255, 'p');
  ctx.LoadReg("REGEDIT4\n[HKEY_CLASSES_ROOT\\.abc]\n@=\"\"\n[HKEY_CLASSES_ROOT\\.abc\\" + longName + "]\n");
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(FileExtensionsTest, StopEndsBothPasses) {
  ctx.LoadReg(std::string("REGEDIT4\n"
                          "[HKEY_CLASSES_ROOT\\.a1]\n@=\"\"\n"
                          "[HKEY_CLASSES_ROOT\\.a2]\n@=\"\"\n"
                          "[HKEY_CLASSES_ROOT\\.a3]\n@=\"\"\n"
                          "[") + kFileExts + "\\.b1]\n@=\"\"\n");
  ctx.StopAfter(2);
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\.a1 [] =  #106", "HKCR\\.a2 [] =  #106"));
  EXPECT_EQ(ctx.progress.size(), 2u);
}

TEST_F(FileExtensionsTest, On64BitWindowsProblemsCarryThe64BitMask) {
  ctx.LoadReg("REGEDIT4\n[HKEY_CLASSES_ROOT\\.abc]\n@=\"\"\n");
  sim.SetWow64(true);
  ASSERT_THAT(Scan(), ElementsAre("HKCR\\.abc [] =  #106"));
  EXPECT_EQ(ctx.problems[0].access, sys::kMaskAll64);
  EXPECT_TRUE(sim.system().RedirectionActive());
}

}  // namespace
}  // namespace vl::registry
