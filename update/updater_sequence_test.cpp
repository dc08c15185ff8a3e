// The updater's window and update sequence on the simulated machine, with
// real downloads from a loopback server started by each test.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/schema.h"
#include "sysaccess/digest.h"
#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"
#include "sysaccess/testing/loopback_http_server.h"
#include "ui/dispatcher.h"
#include "ui/testing/scripted_ports.h"
#include "sysaccess/testing/pe_image.h"
#include "update/publish.h"
#include "update/testing/signed_update.h"
#include "update/updater_form.h"
#include "update/updater_ids.h"

namespace vl::update {
namespace {

using sys::testing::LoopbackHttpServer;
using Seq = UpdaterSequence;
using sys::testing::BuildPe;
using test_signing::ExpiresIn;
using test_signing::SignedBy;

// Bytes that hardly compress, so the download spans several KB.
std::string Noise(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  return s;
}

std::string Kb(size_t bytes) { return std::to_string(bytes / 1024) + " KB"; }

std::string ManifestXml(const std::string& softpos, const std::string& softfile, const std::string& md5,
                        const std::string& sha256 = "", const std::string& size = "",
                        const std::string& softver = "2.0.0.0", const std::string& expires = ExpiresIn(30)) {
  return "<?xml version=\"1.0\"?>\n<updateinformation>\n  <softver>" + softver + "</softver>\n  <softmd5>" + md5 +
         "</softmd5>\n  <softsha256>" + sha256 + "</softsha256>\n  <softsize>" + size + "</softsize>\n  <softpos>" +
         softpos + "</softpos>\n  <softfile>" + softfile + "</softfile>\n  <upver>1.0.0.0</upver>\n  <expires>" +
         expires + "</expires>\n</updateinformation>\n";
}

// A file system that runs out of space while writing the installed program:
// a plain write leaves half a file, a write-beside-and-rename leaves the old one.
class DiskFullOnProgram : public sys::FileSystem {
 public:
  DiskFullOnProgram(sys::FileSystem& inner, std::string program) : in_(inner), program_(std::move(program)) {}
  bool Hit(const std::string& path) { return sys::EqualsNoCase(in_.FullPath(path), program_); }

  bool WriteFileBytes(const std::string& path, const std::string& data) override {
    if (!Hit(path)) return in_.WriteFileBytes(path, data);
    in_.WriteFileBytes(path, data.substr(0, data.size() / 2));
    return false;
  }
  uint32_t ReplaceFileData(const std::string& path, const std::string& data) override {
    // The temporary file beside it fills the disk; the target stays as it was.
    return Hit(path) ? sys::err::kDiskFull : in_.ReplaceFileData(path, data);
  }
  uint32_t CopyFileTo(const std::string& from, const std::string& to, bool overwrite) override {
    if (!Hit(to)) return in_.CopyFileTo(from, to, overwrite);
    std::string data;
    in_.ReadFileBytes(from, data);
    in_.WriteFileBytes(to, data.substr(0, data.size() / 2));
    return sys::err::kDiskFull;
  }
  uint32_t MoveFileTo(const std::string& from, const std::string& to) override {
    return Hit(to) ? sys::err::kDiskFull : in_.MoveFileTo(from, to);
  }

  bool FileExists(const std::string& p) override { return in_.FileExists(p); }
  bool DirectoryExists(const std::string& p) override { return in_.DirectoryExists(p); }
  bool ReadFileBytes(const std::string& p, std::string& out) override { return in_.ReadFileBytes(p, out); }
  bool AppendFileBytes(const std::string& p, const std::string& d) override { return in_.AppendFileBytes(p, d); }
  bool CreateFolder(const std::string& p) override { return in_.CreateFolder(p); }
  std::string NativePath(const std::string& p) override { return in_.NativePath(p); }
  bool ReadFilePart(const std::string& p, uint64_t o, size_t n, std::string& out) override {
    return in_.ReadFilePart(p, o, n, out);
  }
  bool ListFolder(const std::string& f, std::vector<sys::FileEntry>& e) override { return in_.ListFolder(f, e); }
  uint32_t WalkFolder(const std::string& f, const sys::WalkVisitor& v) override { return in_.WalkFolder(f, v); }
  uint32_t CreateNewFile(const std::string& p, const std::string& d) override {
    return Hit(p) ? sys::err::kDiskFull : in_.CreateNewFile(p, d);
  }
  uint32_t TruncateFile(const std::string& p, uint64_t s) override { return in_.TruncateFile(p, s); }
  bool GetEntry(const std::string& p, sys::FileEntry& e) override { return in_.GetEntry(p, e); }
  uint32_t SetAttributes(const std::string& p, uint32_t a) override { return in_.SetAttributes(p, a); }
  uint32_t RemoveFile(const std::string& p) override { return in_.RemoveFile(p); }
  uint32_t RemoveFolder(const std::string& p) override { return in_.RemoveFolder(p); }
  std::string FullPath(const std::string& p) override { return in_.FullPath(p); }
  std::string CurrentFolder() override { return in_.CurrentFolder(); }
  bool SetCurrentFolder(const std::string& p) override { return in_.SetCurrentFolder(p); }
  sys::DriveKind DriveKindOf(const std::string& r) override { return in_.DriveKindOf(r); }
  bool VolumeLabel(const std::string& r, std::string& l) override { return in_.VolumeLabel(r, l); }
  bool DiskSpace(const std::string& r, uint64_t& t, uint64_t& f) override { return in_.DiskSpace(r, t, f); }
  void SuppressCriticalErrorDialogs() override { in_.SuppressCriticalErrorDialogs(); }

 private:
  sys::FileSystem& in_;
  std::string program_;
};

// The scripted boxes, with a hook that plays someone acting on the machine
// while a box is open.
class HookedPorts : public testing::ScriptedPorts {
 public:
  using ScriptedPorts::ScriptedPorts;
  MsgAnswer ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                        MsgIcon icon) override {
    if (onMessage) onMessage(text);
    return ScriptedPorts::ShowMessage(text, caption, buttons, icon);
  }
  std::function<void(const std::string&)> onMessage;
};

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok());
    ASSERT_TRUE(test_signing::TrustTestKey(sim_.registry()));
    platform_ = sim_.platform();
    app_ = platform_.appDir;
    ASSERT_TRUE(files().CreateFolder(app_));
    ASSERT_TRUE(files().WriteFileBytes(app_ + "Vantorel.exe", oldProgram_));
    ASSERT_TRUE(files().WriteFileBytes(
        app_ + "Settings.ini", "[Basic]\r\nAuto Update=1\r\n[Update]\r\nServer=http://127.0.0.1:" +
                                   std::to_string(server_.port()) + "\r\n"));
    Publish(server_.Url("/update/"), "Vantorel.z", newProgram_);
  }

  sys::FileSystem& files() { return sim_.files(); }

  // The manifest and the compressed program on the server.
  void Publish(const std::string& softpos, const std::string& softfile, const std::string& program,
               std::string md5 = {}, const std::string& softver = "2.0.0.0") {
    if (md5.empty()) md5 = sys::Md5Hex(program);
    packed_ = update::ZlibStream(program);
    manifest_ = ManifestXml(softpos, softfile, md5, sys::Sha256Hex(program), std::to_string(program.size()), softver);
    ServeManifest(manifest_);
    server_.SetBody("/update/" + softfile, packed_);
  }
  // A manifest signed by the test key (or with the signature given).
  void ServeManifest(const std::string& xml) { ServeManifest(xml, SignedBy(xml)); }
  void ServeManifest(const std::string& xml, const std::string& signature) {
    server_.SetBody("/update/Update.xml", xml);
    server_.SetBody("/update/Update.xml.sig", signature);
  }

  UpdaterForm& Form() {
    if (!form_) {
      Seq::Timing timing;
      timing.sleep = [this](uint32_t ms) { sleeps_.push_back(ms); };
      form_ = std::make_unique<UpdaterForm>(
          platform_, ports_, [this] { ++pumps_; if (onPump_) onPump_(); }, [this] { ++closes_; }, timing);
    }
    return *form_;
  }
  UpdaterEnd RunOnce() {
    Form().sbtnUpdateClick();
    return Form().sequence().end();
  }
  std::string Program() {
    std::string s;
    files().ReadFileBytes(app_ + "Vantorel.exe", s);
    return s;
  }
  bool UpdateEnabled() { return Form().form().Get(uid::sbtnUpdate).enabled(); }
  std::vector<std::string> Texts() {
    std::vector<std::string> t;
    for (auto& m : ports_.messages) t.push_back(m.text);
    return t;
  }
  // Expects exactly one failure box with this text, the window left open
  // and the installed program untouched.
  void ExpectFailure(const std::string& text) {
    ASSERT_EQ(ports_.messages.size(), 1u) << ::testing::PrintToString(Texts());
    EXPECT_EQ(ports_.messages[0].text, text);
    EXPECT_EQ(ports_.messages[0].caption, "Vantorel");
    EXPECT_EQ(ports_.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(ports_.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(Form().sequence().end(), UpdaterEnd::kFailed);
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_EQ(closes_, 0);
    EXPECT_EQ(Program(), oldProgram_);
    EXPECT_TRUE(sim_.processes().askedToClose().empty());
  }
  std::string LastUpdate() {
    store::Connection c = store::OpenDatabase(files().NativePath(app_ + "data.db"));
    store::ResultTable t = store::RunQuery(c, "select last_update from sysset");
    return t.RowCount() ? t.ColumnText(0) : "";
  }

  LoopbackHttpServer server_{60};
  sys::SimPlatform sim_;
  sys::Platform platform_;
  std::string app_;
  ManualDispatcher dispatcher_;
  HookedPorts ports_{dispatcher_};
  std::unique_ptr<UpdaterForm> form_;
  std::vector<uint32_t> sleeps_;
  int pumps_ = 0, closes_ = 0;
  std::function<void()> onPump_;
  const std::string oldProgram_ = BuildPe("1.9.9.9") + "old program " + Noise(3000, 7);
  const std::string newProgram_ = BuildPe("2.0.0.0") + "new program " + Noise(300 * 1024, 11);
  std::string packed_, manifest_;
};

TEST_F(UpdaterTest, InstallsTheNewProgramWithARowPerDownloadAndRecordsTheTime) {
  store::CreateDatabase(files().NativePath(app_ + "data.db"));
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);

  EXPECT_EQ(Program(), newProgram_);
  ASSERT_EQ(Form().rows().size(), 3u);
  EXPECT_EQ(Form().rows()[0], std::make_pair(std::string("Update.xml"), Kb(manifest_.size())));
  EXPECT_EQ(Form().rows()[1], std::make_pair(std::string("Update.xml.sig"), std::string("0 KB")));
  EXPECT_EQ(Form().rows()[2], std::make_pair(std::string("Vantorel.z"), Kb(packed_.size())));
  EXPECT_GT(packed_.size(), 300u * 1024);  // the row shows a real count, not "0 KB"
  ASSERT_EQ(Form().form().Get(uid::lstvDownload).rowCount(), 3);

  ASSERT_EQ(ports_.messages.size(), 2u);
  EXPECT_EQ(ports_.messages[0].text, "To update you identified?");
  EXPECT_EQ(ports_.messages[0].caption, "Vantorel");
  EXPECT_EQ(ports_.messages[0].icon, MsgIcon::None);
  EXPECT_EQ(ports_.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ports_.messages[1].text, "OK, Update Completed!\rClick Yes Button to run now?");
  EXPECT_EQ(ports_.messages[1].caption, "Vantorel");
  EXPECT_EQ(ports_.messages[1].icon, MsgIcon::Information);
  EXPECT_EQ(ports_.messages[1].buttons, MsgButtons::YesNo);

  // The downloads are cleaned up, the manifest stays.
  EXPECT_FALSE(files().FileExists(app_ + "update\\Vantorel.z"));
  EXPECT_FALSE(files().FileExists(app_ + "update\\ks.exe"));
  EXPECT_TRUE(files().FileExists(app_ + "update\\Update.xml"));
  const std::string stamp = LastUpdate();
  EXPECT_EQ(stamp.size(), 14u);
  EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(stamp.substr(0, 2), "20");

  // No to "run now": nothing started; the window closed without asking.
  EXPECT_TRUE(sim_.processes().started().empty());
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(Form().FormCloseQuery());
  EXPECT_EQ(ports_.messages.size(), 2u);
  EXPECT_GT(pumps_, 0);  // the window's messages ran during the downloads

  // Both requests carry the updater's headers.
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].path, "/update/Update.xml");
  EXPECT_EQ(requests[1].path, "/update/Update.xml.sig");
  EXPECT_EQ(requests[2].path, "/update/Vantorel.z");
  for (auto& r : requests) {
    EXPECT_NE(r.headers.find("User-Agent: Mozilla/3.0 (compatible; Indy Library)"), std::string::npos);
    EXPECT_NE(r.headers.find("Accept: text/html, */*"), std::string::npos);
    EXPECT_NE(r.headers.find("Content-Type: text/html"), std::string::npos);
    EXPECT_EQ(r.headers.find("Range:"), std::string::npos);
  }
}

TEST_F(UpdaterTest, YesToRunNowStartsTheNewProgramFromTheApplicationFolder) {
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  auto started = sim_.processes().started();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_TRUE(sys::EqualsNoCase(started[0].program, app_ + "Vantorel.exe"));
  EXPECT_FALSE(started[0].options.hidden);
  // Without data.db nothing is created.
  EXPECT_FALSE(files().FileExists(app_ + "data.db"));
}

TEST_F(UpdaterTest, DataDbWithoutSyssetIsLeftAlone) {
  {
    store::Connection c = store::OpenDatabase(files().NativePath(app_ + "data.db"));
    store::RunStatement(c, "create table other(x)");
  }
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  store::Connection c = store::OpenDatabase(files().NativePath(app_ + "data.db"));
  EXPECT_FALSE(store::HasTable(c, "sysset"));
}

TEST_F(UpdaterTest, SoftposWithoutTrailingSlashIsJoinedAsIs) {
  const std::string softpos = server_.Url("/update/files");  // no "/" at the end
  Publish(softpos, "Vantorel.z", newProgram_);
  server_.SetBody("/update/filesVantorel.z", packed_);
  server_.Set("/update/Vantorel.z", {404, "not here"});
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  EXPECT_EQ(Program(), newProgram_);
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].path, "/update/filesVantorel.z");
}

TEST_F(UpdaterTest, UppercaseDigestNeverMatches) {
  std::string md5 = sys::Md5Hex(newProgram_);
  for (char& c : md5) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  ASSERT_NE(md5, sys::Md5Hex(newProgram_));
  Publish(server_.Url("/update/"), "Vantorel.z", newProgram_, md5);
  RunOnce();
  ExpectFailure("Download upgrade failure!");
  // The download stays for the next attempt to overwrite; nothing
  // unverified is left under the name that gets installed.
  EXPECT_TRUE(files().FileExists(app_ + "update\\Vantorel.z"));
  EXPECT_FALSE(files().FileExists(app_ + "update\\ks.exe"));
}

TEST_F(UpdaterTest, NoToTheQuestionLeavesTheProgramAndEnablesTheButton) {
  sim_.processes().AddProcess({0, 0, "Vantorel.exe", app_ + "Vantorel.exe"});
  ports_.answers = {MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kDeclined);
  EXPECT_EQ(Program(), oldProgram_);
  EXPECT_TRUE(UpdateEnabled());
  EXPECT_EQ(closes_, 0);
  ASSERT_EQ(ports_.messages.size(), 1u);
  EXPECT_TRUE(sim_.processes().askedToClose().empty());
  EXPECT_TRUE(sim_.processes().ended().empty());
}

TEST_F(UpdaterTest, ASecondRunAddsItsRowsBelowTheFirst) {
  ports_.answers = {MsgAnswer::No, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kDeclined);
  EXPECT_EQ(RunOnce(), UpdaterEnd::kDeclined);
  ASSERT_EQ(Form().rows().size(), 6u);
  EXPECT_EQ(Form().rows()[0].first, "Update.xml");
  EXPECT_EQ(Form().rows()[1].first, "Update.xml.sig");
  EXPECT_EQ(Form().rows()[2].first, "Vantorel.z");
  EXPECT_EQ(Form().rows()[3].first, "Update.xml");
  EXPECT_EQ(Form().rows()[5].first, "Vantorel.z");
  EXPECT_EQ(Form().rows()[5].second, Kb(packed_.size()));
  EXPECT_EQ(Form().form().Get(uid::lstvDownload).rowCount(), 6);
}

TEST_F(UpdaterTest, StopsEveryRunningCopyOfThisFolderAndNothingElse) {
  sys::SimProcesses& procs = sim_.processes();
  const uint32_t a = procs.AddProcess({0, 0, "Vantorel.exe", app_ + "Vantorel.exe"});
  const uint32_t b = procs.AddProcess({0, 0, "VANTOREL.EXE", "C:\\PROGRAM FILES\\VANTOREL\\VANTOREL.EXE"});
  const uint32_t c = procs.AddProcess({0, 0, "Vantorel.exe", app_ + "Vantorel.exe"});
  procs.ClosesWhenAsked(b);  // its window closes when asked
  const uint32_t elsewhere = procs.AddProcess({0, 0, "Vantorel.exe", "D:\\Other\\Vantorel.exe"});
  const uint32_t unreadable = procs.AddProcess({0, 0, "Vantorel.exe", ""});
  const uint32_t lookalike = procs.AddProcess({0, 0, "Vantorel.exe.bak", app_ + "Vantorel.exe.bak"});
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);

  EXPECT_EQ(procs.askedToClose(), (std::vector<uint32_t>{a, b, c}));
  auto ended = procs.ended();
  ASSERT_EQ(ended.size(), 2u);
  EXPECT_EQ(ended[0].pid, a);
  EXPECT_EQ(ended[1].pid, c);
  std::vector<sys::ProcessInfo> left;
  procs.ListProcesses(left);
  std::vector<uint32_t> pids;
  for (auto& p : left) pids.push_back(p.pid);
  for (uint32_t pid : {elsewhere, unreadable, lookalike})
    EXPECT_NE(std::find(pids.begin(), pids.end(), pid), pids.end()) << pid;
  // The grace period (polled in steps), then a second's pause after each end.
  uint32_t grace = 0;
  for (size_t i = 0; i + 2 < sleeps_.size(); ++i) grace += sleeps_[i];
  EXPECT_EQ(grace, 3000u);
  ASSERT_GE(sleeps_.size(), 2u);
  EXPECT_EQ(sleeps_[sleeps_.size() - 2], 1000u);
  EXPECT_EQ(sleeps_.back(), 1000u);
  EXPECT_EQ(Program(), newProgram_);
}

// The id of a listed Vantorel goes to another program during the grace
// period: that program is neither asked nor ended.
TEST_F(UpdaterTest, AProcessIdReusedDuringTheWaitIsNotEnded) {
  sys::SimProcesses& procs = sim_.processes();
  const uint32_t a = procs.AddProcess({0, 0, "Vantorel.exe", app_ + "Vantorel.exe"});
  uint32_t reused = 0;
  onPump_ = [&] {
    if (!reused && !procs.askedToClose().empty()) reused = procs.ReuseProcessId(a, {0, 0, "notepad.exe", "C:\\Windows\\notepad.exe"});
  };
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  ASSERT_EQ(reused, a);
  EXPECT_TRUE(procs.ended().empty());
  std::vector<sys::ProcessInfo> left;
  procs.ListProcesses(left);
  EXPECT_TRUE(std::any_of(left.begin(), left.end(), [&](const sys::ProcessInfo& p) {
    return p.pid == a && p.exeName == "notepad.exe";
  }));
  EXPECT_EQ(Program(), newProgram_);
}

TEST_F(UpdaterTest, NoRunningCopyMeansNoWait) {
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  EXPECT_TRUE(sleeps_.empty());
  EXPECT_TRUE(sim_.processes().askedToClose().empty());
}

TEST_F(UpdaterTest, ACopyThatClosesWhenAskedIsNotEnded) {
  sys::SimProcesses& procs = sim_.processes();
  const uint32_t a = procs.AddProcess({0, 0, "Vantorel.exe", app_ + "Vantorel.exe"});
  procs.ClosesWhenAsked(a);
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  EXPECT_TRUE(procs.ended().empty());
  EXPECT_TRUE(sleeps_.empty());
}

// Answers of the server that must end the run with the old program intact.
struct BadAnswer {
  const char* name;
  const char* path;
  LoopbackHttpServer::Answer answer;
  const char* message;
};

class UpdaterServerTest : public UpdaterTest, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(UpdaterServerTest, EndsWithTheMessageAndTheOldProgramIntact) {
  const BadAnswer& bad = GetParam();
  // Two paths that send the client to each other, for the redirect loops.
  server_.Set("/update/a", {302, "", "/update/b"});
  server_.Set("/update/b", {302, "", "/update/a"});
  server_.Set(bad.path, bad.answer);
  RunOnce();
  ExpectFailure(bad.message);
  EXPECT_FALSE(files().FileExists(app_ + "update\\ks.exe"));
}

std::string Big(size_t n) { return std::string(n, 'x'); }

INSTANTIATE_TEST_SUITE_P(
    BadAnswers, UpdaterServerTest,
    ::testing::Values(
        BadAnswer{"ManifestMissing", "/update/Update.xml", {404, "no such file"}, Seq::kNoServer},
        BadAnswer{"ManifestServerError", "/update/Update.xml", {500, "broken"}, Seq::kNoServer},
        BadAnswer{"ManifestRedirectLoop", "/update/Update.xml", {302, "", "/update/a"}, Seq::kNoServer},
        BadAnswer{"ManifestTruncated", "/update/Update.xml",
                  {200, ManifestXml("http://127.0.0.1:9/", "Vantorel.z", "x"), "", 20}, Seq::kNoServer},
        BadAnswer{"ManifestOverTheCap", "/update/Update.xml", {200, Big((1u << 20) + 1)}, Seq::kNoServer},
        BadAnswer{"SignatureMissing", "/update/Update.xml.sig", {404, "no such file"}, Seq::kNoDocument},
        BadAnswer{"SignatureServerError", "/update/Update.xml.sig", {500, "broken"}, Seq::kNoDocument},
        BadAnswer{"SignatureOfAnotherFile", "/update/Update.xml.sig", {200, SignedBy("other")}, Seq::kNoDocument},
        BadAnswer{"SignatureNotDer", "/update/Update.xml.sig", {200, "not a signature"}, Seq::kNoDocument},
        BadAnswer{"ProgramMissing", "/update/Vantorel.z", {404, "no such file"}, Seq::kNoUpgradeFile},
        BadAnswer{"ProgramServerError", "/update/Vantorel.z", {500, "broken"}, Seq::kNoUpgradeFile},
        BadAnswer{"ProgramRedirectLoop", "/update/Vantorel.z", {302, "", "/update/a"}, Seq::kNoUpgradeFile},
        BadAnswer{"ProgramTruncated", "/update/Vantorel.z", {200, Big(50000), "", 1000}, Seq::kNoUpgradeFile},
        BadAnswer{"ProgramNotZlib", "/update/Vantorel.z", {200, "MZ this is no zlib stream at all"},
                  Seq::kBadDownload},
        BadAnswer{"ProgramEmptyStream", "/update/Vantorel.z", {200, update::ZlibStream("")}, Seq::kBadDownload}),
    [](const ::testing::TestParamInfo<BadAnswer>& info) { return std::string(info.param.name); });

TEST_F(UpdaterTest, ServerUnreachable) {
  files().WriteFileBytes(app_ + "Settings.ini", "[Update]\r\nServer=http://127.0.0.1:9\r\n");
  RunOnce();
  ExpectFailure("Connects to the server failure!");
  ASSERT_EQ(Form().rows().size(), 1u);
  EXPECT_EQ(Form().rows()[0].second, "downloading");
}

TEST_F(UpdaterTest, CorruptStreamAfterAGoodHeader) {
  std::string z = update::ZlibStream(newProgram_);
  z.resize(z.size() / 2);  // cut: inflating ends early
  server_.SetBody("/update/Vantorel.z", z);
  RunOnce();
  ExpectFailure("Download upgrade failure!");
}

TEST_F(UpdaterTest, ManifestThatIsNoXmlShowsTheParsersText) {
  ServeManifest("<html><body>Not found</p></html");
  RunOnce();
  ASSERT_EQ(ports_.messages.size(), 1u);
  const std::string text = ports_.messages[0].text;
  EXPECT_FALSE(text.empty());
  for (const char* fixed : {Seq::kNoServer, Seq::kNoDocument, Seq::kNoUpgradeFile, Seq::kBadDownload})
    EXPECT_NE(text, fixed);
  EXPECT_EQ(ports_.messages[0].caption, "Vantorel");
  EXPECT_EQ(ports_.messages[0].icon, MsgIcon::Error);
  EXPECT_TRUE(UpdateEnabled());
  EXPECT_EQ(Program(), oldProgram_);
  EXPECT_EQ(server_.Requests().size(), 2u);
}

TEST_F(UpdaterTest, ManifestWithAnotherRootShowsTheParsersText) {
  ServeManifest("<update><softfile>Vantorel.z</softfile></update>");
  RunOnce();
  ASSERT_EQ(ports_.messages.size(), 1u);
  EXPECT_NE(ports_.messages[0].text.find("updateinformation"), std::string::npos) << ports_.messages[0].text;
  EXPECT_EQ(ports_.messages[0].icon, MsgIcon::Error);
  EXPECT_EQ(server_.Requests().size(), 2u);
  EXPECT_EQ(Program(), oldProgram_);
}

TEST_F(UpdaterTest, ManifestWithoutSoftfile) {
  ServeManifest("<updateinformation><softver>2.0.0.0</softver><expires>" + ExpiresIn(1) +
                "</expires></updateinformation>");
  RunOnce();
  ExpectFailure("Read the document failed!");
}

TEST_F(UpdaterTest, SoftfileThatIsNoPlainNameIsRefused) {
  for (const char* name : {"COM\xC2\xB9.z", "lpt\xC2\xB3", "..\\Vantorel.exe", "../Vantorel.exe", "sub/Vantorel.z", "C:Vantorel.z",
                           "C:\\Windows\\evil.z", "..", "CON", "nul.z", "com1.exe", "Vantorel.z."}) {
    SCOPED_TRACE(name);
    ports_.messages.clear();
    ServeManifest(ManifestXml(server_.Url("/update/"), name, sys::Md5Hex(newProgram_), sys::Sha256Hex(newProgram_),
                              std::to_string(newProgram_.size())));
    size_t before = server_.Requests().size();
    RunOnce();
    ExpectFailure("Read the document failed!");
    EXPECT_EQ(server_.Requests().size(), before + 2);  // only the manifest and its signature were fetched
  }
  std::vector<sys::FileEntry> entries;
  ASSERT_TRUE(files().ListFolder(app_, entries));
  for (auto& e : entries) EXPECT_TRUE(e.name == "Vantorel.exe" || e.name == "Settings.ini" || e.name == "update")
                              << e.name;
}

TEST_F(UpdaterTest, AFullDiskWhileInstallingLeavesTheOldProgram) {
  DiskFullOnProgram full(files(), files().FullPath(app_ + "Vantorel.exe"));
  platform_.files = &full;
  ports_.answers = {MsgAnswer::Yes};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstallFailed);
  EXPECT_EQ(Program(), oldProgram_);
  ASSERT_EQ(ports_.messages.size(), 2u);
  EXPECT_EQ(ports_.messages[1].text, "Application upgrade failure!");
  EXPECT_EQ(ports_.messages[1].caption, "Vantorel");
  EXPECT_EQ(ports_.messages[1].icon, MsgIcon::Error);
  // The window closes: the program ends, the verified download stays for
  // the next attempt.
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(files().FileExists(app_ + "update\\ks.exe"));
}

TEST_F(UpdaterTest, UpdateFolderThatCannotBeMade) {
  ASSERT_TRUE(files().WriteFileBytes(app_ + "update", "a file where the folder should be"));
  RunOnce();
  ASSERT_EQ(ports_.messages.size(), 1u);
  EXPECT_EQ(ports_.messages[0].text, "Can not create directory!");
  EXPECT_EQ(ports_.messages[0].caption, "Error");
  EXPECT_EQ(ports_.messages[0].icon, MsgIcon::None);
  EXPECT_EQ(ports_.messages[0].buttons, MsgButtons::Ok);
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_TRUE(UpdateEnabled());
  EXPECT_EQ(Program(), oldProgram_);
}

TEST_F(UpdaterTest, ClosingWhileRunningAsksAndYesAbandonsSilently) {
  bool asked = false;
  onPump_ = [&] {
    // The user closes the window while the program downloads.
    if (!asked && Form().rows().size() == 2) {
      asked = true;
      EXPECT_FALSE(UpdateEnabled());
      EXPECT_FALSE(Form().FormCloseQuery());  // closes once the run has let go
    }
  };
  ports_.answers = {MsgAnswer::Yes};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kAbandoned);
  ASSERT_TRUE(asked);
  ASSERT_EQ(ports_.messages.size(), 1u);
  EXPECT_EQ(ports_.messages[0].text, "File not download Completed, Aborted?");
  EXPECT_EQ(ports_.messages[0].caption, "Vantorel");
  EXPECT_EQ(ports_.messages[0].icon, MsgIcon::Question);
  EXPECT_EQ(ports_.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(closes_, 1);
  EXPECT_EQ(Program(), oldProgram_);
  EXPECT_FALSE(files().FileExists(app_ + "update\\Vantorel.z"));  // no partial download left
}

TEST_F(UpdaterTest, ClosingWhileRunningAndNoGoesOn) {
  bool asked = false;
  onPump_ = [&] {
    if (!asked) {
      asked = true;
      EXPECT_FALSE(Form().FormCloseQuery());
    }
  };
  ports_.answers = {MsgAnswer::No, MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  EXPECT_EQ(Program(), newProgram_);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"File not download Completed, Aborted?", Seq::kConfirm, Seq::kCompleted}));
}

TEST_F(UpdaterTest, ClosingWhenIdleDoesNotAsk) {
  EXPECT_TRUE(Form().FormCloseQuery());
  ports_.answers = {MsgAnswer::No};
  RunOnce();  // declined: idle again
  EXPECT_TRUE(Form().FormCloseQuery());
  EXPECT_EQ(Texts(), (std::vector<std::string>{Seq::kConfirm}));
}

TEST_F(UpdaterTest, TheWindowHasItsControls) {
  ui::Form& f = Form().form();
  EXPECT_EQ(f.title(), "Update");
  ui::Control& list = f.Get(uid::lstvDownload);
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].caption, "File Name");
  EXPECT_EQ(list.columns[0].width, 200);
  EXPECT_EQ(list.columns[1].caption, "downloads");
  EXPECT_EQ(list.columns[1].width, 90);
  EXPECT_EQ(list.columns[1].align, ui::Align::Center);
  EXPECT_EQ(f.Get(uid::sbtnUpdate).text(), "Update");
  EXPECT_EQ(f.Get(uid::sbtnCancel).text(), "Cancel");
  EXPECT_EQ(f.Get(uid::Gauge).kind, ui::Kind::Progress);
  for (auto& c : f.controls()) {
    EXPECT_LE(c->rect.x + c->rect.w, UpdaterForm::kClientWidth) << c->name;
    EXPECT_LE(c->rect.y + c->rect.h, UpdaterForm::kClientHeight) << c->name;
  }
  // Cancel asks the window to close (through the close question).
  f.Get(uid::sbtnCancel).Click();
  EXPECT_EQ(ports_.closeRequests, 1);
}

TEST_F(UpdaterTest, GaugeFollowsTheProgramDownload) {
  ports_.answers = {MsgAnswer::No};
  RunOnce();
  ui::Control& gauge = Form().form().Get(uid::Gauge);
  EXPECT_EQ(gauge.maximum(), static_cast<int>(packed_.size()));
  EXPECT_EQ(gauge.position(), static_cast<int>(packed_.size()));
}

}  // namespace
}  // namespace vl::update

namespace vl::update {
namespace {

// The program checked is the program installed: a file swapped into
// update\ks.exe while the question is open is never put in place.
TEST_F(UpdaterTest, ASwapOfTheDownloadWhileAskingInstallsTheVerifiedProgram) {
  const std::string planted = BuildPe("6.6.6.6") + "planted";
  ports_.onMessage = [&](const std::string& text) {
    if (text == Seq::kConfirm) {
      ASSERT_TRUE(files().FileExists(app_ + "update\\ks.exe"));
      ASSERT_TRUE(files().WriteFileBytes(app_ + "update\\ks.exe", planted));
      ASSERT_TRUE(files().WriteFileBytes(app_ + "update\\Vantorel.z", update::ZlibStream(planted)));
    }
  };
  ports_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  EXPECT_EQ(RunOnce(), UpdaterEnd::kInstalled);
  EXPECT_EQ(Program(), newProgram_);
}

TEST_F(UpdaterTest, OnlyASignedCurrentManifestIsTaken) {
  std::string changed = manifest_;
  changed[changed.find("<upver>") + 7] = '7';
  const std::vector<std::pair<std::string, std::string>> refused = {
      {changed, SignedBy(manifest_)},
      {manifest_, SignedBy(manifest_, sys::testing::kOtherTestKeyPem)},
      {manifest_, ""},
  };
  for (const auto& [xml, sig] : refused) {
    ports_.messages.clear();
    ServeManifest(xml, sig);
    RunOnce();
    ExpectFailure(Seq::kNoDocument);
  }
  for (const std::string& expires : {ExpiresIn(-1), std::string(), std::string("someday")}) {
    ports_.messages.clear();
    ServeManifest(ManifestXml(server_.Url("/update/"), "Vantorel.z", sys::Md5Hex(newProgram_),
                              sys::Sha256Hex(newProgram_), std::to_string(newProgram_.size()), "2.0.0.0", expires));
    RunOnce();
    ExpectFailure(Seq::kNoDocument);
  }
  for (const auto& r : server_.Requests()) EXPECT_NE(r.path, "/update/Vantorel.z");
  EXPECT_FALSE(files().FileExists(app_ + "update\\ks.exe"));
}

TEST_F(UpdaterTest, NeverAnOlderOrTheSameBuild) {
  for (const char* version : {"1.9.9.9", "1.9.9.8", "1.0", "not a version"}) {
    SCOPED_TRACE(version);
    ports_.messages.clear();
    const std::string program = BuildPe(version) + "older";
    Publish(server_.Url("/update/"), "Vantorel.z", program, {}, version);
    RunOnce();
    ExpectFailure(Seq::kNoDocument);
  }
  for (const auto& r : server_.Requests()) EXPECT_NE(r.path, "/update/Vantorel.z");
}

TEST_F(UpdaterTest, AProgramThatIsNotWhatTheManifestSaysIsRefused) {
  struct Case {
    const char* name;
    std::string program, softver, sha256, size;
  };
  const std::string other = BuildPe("2.0.0.1") + "new program";
  const std::vector<Case> cases = {
      {"own version differs", other, "2.0.0.0", sys::Sha256Hex(other), std::to_string(other.size())},
      {"no version resource", "MZ nothing", "2.0.0.0", sys::Sha256Hex("MZ nothing"), "10"},
      {"size differs", newProgram_, "2.0.0.0", sys::Sha256Hex(newProgram_), std::to_string(newProgram_.size() + 1)},
      {"size not a number", newProgram_, "2.0.0.0", sys::Sha256Hex(newProgram_), "300k"},
      {"sha-256 differs", newProgram_, "2.0.0.0", sys::Sha256Hex(other), std::to_string(newProgram_.size())},
      {"sha-256 empty", newProgram_, "2.0.0.0", "", std::to_string(newProgram_.size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ports_.messages.clear();
    server_.SetBody("/update/Vantorel.z", update::ZlibStream(c.program));
    ServeManifest(ManifestXml(server_.Url("/update/"), "Vantorel.z", sys::Md5Hex(c.program), c.sha256, c.size,
                              c.softver));
    RunOnce();
    ExpectFailure(Seq::kBadDownload);
    EXPECT_FALSE(files().FileExists(app_ + "update\\ks.exe"));
  }
  // An empty MD5 matches nothing either.
  ports_.messages.clear();
  server_.SetBody("/update/Vantorel.z", packed_);
  ServeManifest(ManifestXml(server_.Url("/update/"), "Vantorel.z", "", sys::Sha256Hex(newProgram_),
                            std::to_string(newProgram_.size())));
  RunOnce();
  ExpectFailure(Seq::kBadDownload);
}

TEST_F(UpdaterTest, APolicyKeyOtherThanTheSignersIsNotEnough) {
  ASSERT_TRUE(test_signing::WritePolicy(sim_.registry(), {sys::testing::kOtherTestPublicKey}));
  RunOnce();
  ExpectFailure(Seq::kNoDocument);
}

}  // namespace
}  // namespace vl::update
