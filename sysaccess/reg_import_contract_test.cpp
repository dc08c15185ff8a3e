// What a restore relies on, on both backends: the registry editor's import
// read back against the file, the editor's own export judged whole or cut
// short, and a held file that nobody else can delete or swap.
#include <gmock/gmock.h>

#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

std::string Sz(const std::string& text) { return Utf8ToUtf16Bytes(text) + std::string(2, '\0'); }

class RestoreContract : public ContractTest {
 protected:
  // The native view, the one the editor writes.
  uint32_t View() { return p().system->IsWow64() ? kWow64Key64 : 0; }
  std::string Full() { return "HKEY_CURRENT_USER\\" + userKey_; }
  // Writes the lines as a backup file and has the editor import it.
  RegFileContent Import(const std::vector<std::string>& lines, const std::string& name = "restore.reg") {
    const std::string file = folder_ + "\\" + name;
    EXPECT_TRUE(SaveRegFile(fs(), file, lines));
    EXPECT_EQ(p().system->RunRegistryEditorWait("/s \"" + file + "\"", 60000), EditorRun::kFinished);
    std::string bytes;
    RegFileContent content;
    EXPECT_TRUE(fs().ReadFileBytes(file, bytes));
    EXPECT_TRUE(ParseRegFile(bytes, &content));
    return content;
  }
};

TEST_F(RestoreContract, AnImportedBackupReadsBackWhole) {
  SetRaw(kHKCU, userKey_ + "\\Gone", "x", kRegSz, Sz("x"));
  SetRaw(kHKCU, userKey_, "Stale", kRegSz, Sz("old"));
  const std::string multi = Utf8ToUtf16Bytes("a") + std::string(2, '\0') + Utf8ToUtf16Bytes("b") + std::string(4, '\0');
  std::vector<std::string> lines = {kRegHeaderV5, "", "[-" + Full() + "\\Gone]", "", "[" + Full() + "]",
                                    "\"Stale\"=-", "@=\"unnamed\""};
  const std::string exp = Sz("%windir%\\x.exe");
  for (const auto& l : ExportValueLines("Exp", {kRegExpandSz, exp, static_cast<uint32_t>(exp.size())}))
    lines.push_back(l);
  for (const auto& l : ExportValueLines("Multi", {kRegMultiSz, multi, static_cast<uint32_t>(multi.size())}))
    lines.push_back(l);
  lines.push_back("\"Num\"=dword:0000002a");
  lines.push_back("");
  lines.push_back("[" + Full() + "\\New\\Deeper]");
  lines.push_back("");
  RegFileContent content = Import(lines);
  RegImportCheck check = CheckRegImport(api(), content, View());
  EXPECT_TRUE(check.ok()) << ::testing::PrintToString(check.examples);
  EXPECT_EQ(check.entries, 8u);
  EXPECT_EQ(GetRaw(kHKCU, userKey_, "Multi").bytes, multi);

  // What changes afterwards shows.
  SetRaw(kHKCU, userKey_, "Num", kRegDword, std::string("\x2b\0\0\0", 4));
  SetRaw(kHKCU, userKey_, "Stale", kRegSz, Sz("back"));
  ASSERT_TRUE(reg().DeleteKey(kHKCU, userKey_ + "\\New", mask_));
  MakeKey(kHKCU, userKey_ + "\\Gone");
  check = CheckRegImport(api(), content, View(), 10);
  EXPECT_EQ(check.failed, 4u);
  EXPECT_THAT(check.examples,
              ::testing::UnorderedElementsAre("[" + Full() + "\\Gone] is still there",
                                              "[" + Full() + "\\New\\Deeper] is missing",
                                              "\"Stale\" in [" + Full() + "] is still there",
                                              "\"Num\" in [" + Full() + "] holds other data"));
}

TEST_F(RestoreContract, AFileTheEditorRejectsDoesNotReadBack) {
  // A damaged header: the editor takes nothing from it (and says so only in
  // its own window, if at all).
  const std::string file = folder_ + "\\damaged.reg";
  const std::vector<std::string> lines = {"Windows Registry Editor Version 5.0O", "", "[" + Full() + "\\Rejected]",
                                          "\"v\"=\"1\"", ""};
  ASSERT_TRUE(SaveRegFile(fs(), file, lines));
  const EditorRun run = p().system->RunRegistryEditorWait("/s \"" + file + "\"", 60000);
  EXPECT_EQ(run, EditorRun::kFinished);
  EXPECT_FALSE(reg().KeyExists(kHKCU, userKey_ + "\\Rejected", mask_));
  // Read as the file it should have been, nothing of it is there.
  std::vector<std::string> fixed = lines;
  fixed[0] = kRegHeaderV5;
  RegFileContent content;
  ASSERT_TRUE(ParseRegFile(EncodeRegFile(fixed), &content));
  RegImportCheck check = CheckRegImport(api(), content, View());
  EXPECT_EQ(check.failed, 2u);
  EXPECT_EQ(check.entries, 2u);
}

// The real editor refuses a key name longer than the registry allows,
// imports the rest of the file and exits normally; the read-back names what
// is missing. (The simulated registry has no such limit: its editor's
// rejection is SetEditorIgnoresImports, proven by the backup page tests.)
TEST_F(RestoreContract, AKeyTheEditorRefusesIsFoundMissingAndTheRestIsThere) {
  if (!env_->real()) GTEST_SKIP() << "the simulated registry takes names of any length";
  const std::string tooLong(300, 'L');
  RegFileContent content = Import({kRegHeaderV5, "", "[" + Full() + "\\" + tooLong + "]", "\"Lost\"=\"1\"", "",
                                   "[" + Full() + "]", "\"Kept\"=\"2\"", ""});
  RegImportCheck check = CheckRegImport(api(), content, View());
  EXPECT_EQ(check.entries, 4u);
  EXPECT_EQ(check.failed, 2u) << ::testing::PrintToString(check.examples);
  ASSERT_EQ(check.examples.size(), 2u);
  EXPECT_EQ(check.examples[0].rfind("[" + Full() + "\\LLL", 0), 0u) << check.examples[0];
  EXPECT_EQ(check.examples[1].rfind("\"Lost\" in [" + Full() + "\\LLL", 0), 0u) << check.examples[1];
  EXPECT_EQ(GetRaw(kHKCU, userKey_, "Kept").bytes, Sz("2"));
}

TEST_F(RestoreContract, TheEditorsOwnExportIsWholeAndEveryCutOfItIsNot) {
  SetRaw(kHKCU, userKey_, "Text", kRegSz, Sz("some text"));
  SetRaw(kHKCU, userKey_, "Bin", kRegBinary, std::string(200, '\x5A'));
  SetRaw(kHKCU, userKey_ + "\\Sub", "n", kRegDword, std::string("\x01\0\0\0", 4));
  const std::string file = folder_ + "\\export.reg";
  ASSERT_EQ(p().system->RunRegistryEditorWait("/e \"" + file + "\" \"" + Full() + "\"", 60000), EditorRun::kFinished);
  std::string why;
  EXPECT_TRUE(IsWholeRegExport(fs(), file, &why)) << why;
  std::string bytes;
  ASSERT_TRUE(fs().ReadFileBytes(file, bytes));
  ASSERT_GT(bytes.size(), 200u);
  ASSERT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
  const std::string cutFile = folder_ + "\\cut.reg";
  // Every cut: one byte short (mid-character), a line break short, mid-hex
  // continuation, right after the header.
  const size_t bin = DecodeRegFileText(bytes).find("\"Bin\"");
  ASSERT_NE(bin, std::string::npos);
  for (size_t keep : {bytes.size() - 1, bytes.size() - 2, bytes.size() - 4, bytes.size() - 6, bytes.size() / 2,
                      static_cast<size_t>(2 + 2 * 38), static_cast<size_t>(2 + 2 * (bin + 60))}) {
    SCOPED_TRACE(keep);
    ASSERT_TRUE(fs().WriteFileBytes(cutFile, bytes.substr(0, keep)));
    EXPECT_FALSE(IsWholeRegExport(fs(), cutFile, &why));
  }
  // The old single-byte form ends the same way.
  ASSERT_TRUE(fs().WriteFileBytes(cutFile, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"a\"=\"b\"\r\n\r\n"));
  EXPECT_TRUE(IsWholeRegExport(fs(), cutFile, &why)) << why;
  ASSERT_TRUE(fs().WriteFileBytes(cutFile, EncodeRegFile({kRegHeaderV5, ""})));
  EXPECT_FALSE(IsWholeRegExport(fs(), cutFile, &why));
  EXPECT_EQ(why, "the file holds no key");
}

TEST_F(RestoreContract, AHeldFileCannotBeDeletedSwappedOrWrittenByOthers) {
  const std::string file = folder_ + "\\held.reg";
  std::unique_ptr<HeldFile> held;
  ASSERT_EQ(fs().CreateHeldFile(file, "head,", &held), 0u);
  ASSERT_TRUE(held);
  std::unique_ptr<HeldFile> again;
  EXPECT_EQ(fs().CreateHeldFile(file, "x", &again), err::kFileExists);
  EXPECT_FALSE(again);
  EXPECT_NE(fs().RemoveFile(file), 0u);
  EXPECT_NE(fs().MoveFileTo(file, file + ".moved"), 0u);
  EXPECT_NE(fs().ReplaceFileData(file, "swapped"), 0u);
  EXPECT_FALSE(fs().WriteFileBytes(file, "swapped"));
  ASSERT_EQ(held->Append("one,"), 0u);
  ASSERT_EQ(held->Append("two,"), 0u);
  std::string text;
  ASSERT_TRUE(fs().ReadFileBytes(file, text));  // readers share it
  EXPECT_EQ(text, "head,one,two,");
  ASSERT_EQ(held->Truncate(9), 0u);
  ASSERT_EQ(held->Append("three"), 0u);
  held.reset();
  ASSERT_TRUE(fs().ReadFileBytes(file, text));
  EXPECT_EQ(text, "head,one,three");
  EXPECT_FALSE(fs().FileExists(file + ".moved"));
  EXPECT_EQ(fs().RemoveFile(file), 0u);
}

}  // namespace
}  // namespace vl::sys
