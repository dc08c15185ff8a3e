// The removal of evidence files and folders on the simulated machine when a
// local user swaps a folder on the way for a link at any step: nothing but
// the listed items is ever touched. Also: a failed delete keeps attributes.
#include "evidence_cleaner/removal.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/sys_error.h"

namespace vl::evidence {
namespace {

class Context : public RemovalContext {
 public:
  explicit Context(sys::Platform& p) : p_(p) {}
  sys::Platform& platform() override { return p_; }
  uint32_t access() const override { return sys::kMaskAll; }
  void ShowHint(const std::string&) override {}

 private:
  sys::Platform& p_;
};

class EvidenceRemovalTest : public ::testing::Test {
 protected:
  sys::SimFileSystem& fs() { return sim.files(); }
  void Put(const std::string& path, const std::string& data = "trace") {
    fs().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(fs().WriteFileBytes(path, data)) << path;
  }
  // A host folder outside every drive holding `files` (relative paths).
  std::string Victim(const std::vector<std::string>& files) {
    const std::string root = sim.hostRoot() + "/victim";
    mkdir(root.c_str(), 0755);
    for (const std::string& f : files) {
      std::string dir = root;
      size_t at = 0;
      for (size_t slash; (slash = f.find('/', at)) != std::string::npos; at = slash + 1) {
        dir = root + "/" + f.substr(0, slash);
        mkdir(dir.c_str(), 0755);
      }
      std::ofstream(root + "/" + f) << "precious";
    }
    return root;
  }
  static int CountEntries(const std::string& host) {
    int n = 0;
    if (DIR* d = opendir(host.c_str())) {
      while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        ++n;
        struct stat st;
        const std::string p = host + "/" + e->d_name;
        if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) n += CountEntries(p);
      }
      closedir(d);
    }
    return n;
  }
  int Remove(int16_t kind, const std::string& path) {
    TSearchEvidence record(103, "Cookies");
    TScanEvidence item;
    item.kind = kind;
    item.path = path;
    record.items.push_back(item);
    record.itemCount.store(1);
    Context c(sim.platform());
    RemoveEvidence(c, {&record});
    return record.cleanedCount.load();
  }
  // Swaps `folder` for a link to `target` at the `at`-th step of a removal
  // (0: before it starts); counts the steps.
  void SwapAt(int at, const std::string& folder, const std::string& target) {
    steps = 0;
    if (at == 0) {
      ASSERT_EQ(fs().SwapForLink(folder, target), 0u);
      return;
    }
    fs().onRemovalStep = [this, at, folder, target](const std::string&, const std::string&) {
      if (++steps == at) fs().SwapForLink(folder, target);
    };
  }

  sys::SimPlatform sim;
  int steps = 0;
};

TEST_F(EvidenceRemovalTest, AFileWhoseFolderBecomesALinkAtAnyStepIsLeftAlone) {
  for (int at = 0; at <= 12; ++at) {
    const std::string dir = "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Cookies\\t" +
                            std::to_string(at);
    Put(dir + "\\cookie.txt");
    const std::string victim = Victim({"t" + std::to_string(at) + "/cookie.txt"});
    SwapAt(at, dir, victim + "/t" + std::to_string(at));
    Remove(kFile, dir + "\\cookie.txt");
    EXPECT_EQ(CountEntries(victim + "/t" + std::to_string(at)), 1) << "step " << at;
    fs().onRemovalStep = nullptr;
  }
}

TEST_F(EvidenceRemovalTest, AFailedDeleteKeepsTheFilesAttributes) {
  const std::string path = "C:\\Users\\Tester\\Recent\\a.lnk";
  Put(path);
  ASSERT_EQ(fs().SetAttributes(path, sys::kAttrReadOnly), 0u);
  fs().failNextDelete = sys::err::kSharingViolation;
  EXPECT_EQ(Remove(kFile, path), 0);
  sys::FileEntry e;
  ASSERT_TRUE(fs().GetEntry(path, e));
  EXPECT_TRUE(e.attributes & sys::kAttrReadOnly);
  // And the next try takes it, read-only or not.
  EXPECT_EQ(Remove(kFile, path), 1);
  EXPECT_FALSE(fs().FileExists(path));
}

TEST_F(EvidenceRemovalTest, AFolderTreeDeleteWithAFolderSwappedAtAnyStepTouchesOnlyTheTree) {
  const std::string tree = "C:\\Users\\Tester\\AppData\\Local\\Temp\\tree";
  auto build = [&] {
    Put(tree + "\\a\\b\\one.txt");
    Put(tree + "\\a\\two.txt");
    Put(tree + "\\c\\three.txt");
    Put(tree + "\\four.txt");
  };
  // How many steps a whole tree delete takes.
  build();
  int total = 0;
  fs().onRemovalStep = [&](const std::string&, const std::string&) { ++total; };
  ASSERT_EQ(Remove(kFolder, tree), 1);
  ASSERT_GT(total, 8);
  const std::string victim = Victim({"b/one.txt", "two.txt", "b/precious.txt"});
  for (const char* swapped : {"\\a", "\\a\\b"}) {
    for (int at = 0; at <= total; ++at) {
      build();
      SwapAt(at, tree + swapped, std::string(swapped) == "\\a" ? victim : victim + "/b");
      Remove(kFolder, tree);
      fs().onRemovalStep = nullptr;
      EXPECT_EQ(CountEntries(victim), 4) << swapped << " at step " << at;
      // Whatever happened, what is left of the tree is removed on the next go.
      const std::string away = fs().HostPath(tree + swapped) + ".away";
      if (access(away.c_str(), F_OK) == 0) {
        unlink(fs().HostPath(tree + swapped).c_str());
        rename(away.c_str(), fs().HostPath(tree + swapped).c_str());
      }
      Remove(kFolder, tree);
      ASSERT_FALSE(fs().DirectoryExists(tree)) << swapped << " at step " << at;
    }
  }
}

}  // namespace
}  // namespace vl::evidence
