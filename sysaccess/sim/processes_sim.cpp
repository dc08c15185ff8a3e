// Simulated process table and mutexes.
#include "sysaccess/sim/processes_sim.h"

#include "sysaccess/full_path_check.h"
#include "sysaccess/process_command_line.h"
#include "sysaccess/sys_error.h"

namespace vl::sys {

namespace {

class SimMutex : public NamedMutex {
 public:
  SimMutex(std::shared_ptr<void> owner, std::mutex& mu, std::map<std::string, int>& holders, std::string name)
      : owner_(std::move(owner)), mu_(mu), holders_(holders), name_(std::move(name)) {}
  ~SimMutex() override {
    std::lock_guard<std::mutex> lock(mu_);
    if (--holders_[name_] <= 0) holders_.erase(name_);
  }

 private:
  std::shared_ptr<void> owner_;  // keeps the table alive while a holder lives
  std::mutex& mu_;
  std::map<std::string, int>& holders_;
  std::string name_;
};

}  // namespace

SimProcesses::SimProcesses(FileSystem& files) : files_(files) {
  // The idle and system processes, which no program can open, and this one.
  ProcessInfo idle;
  idle.pid = 0;
  idle.exeName = "[System Process]";
  table_[0] = idle;
  ProcessInfo system;
  system.pid = 4;
  system.exeName = "System";
  table_[4] = system;
  protected_ = {0, 4};
  ProcessInfo self;
  self.exeName = "vl_tests.exe";
  self.imagePath = "C:\\vl\\bin\\vl_tests.exe";
  selfPid_ = AddProcess(self);
}

uint32_t SimProcesses::AddProcess(ProcessInfo info) {
  std::lock_guard<std::mutex> lock(mu_);
  if (info.pid == 0) {
    while (table_.count(nextPid_)) nextPid_ += 4;
    info.pid = nextPid_;
    nextPid_ += 4;
  }
  table_[info.pid] = info;
  serial_[info.pid] = nextSerial_++;
  return info.pid;
}

uint32_t SimProcesses::ReuseProcessId(uint32_t pid, ProcessInfo info) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    table_.erase(pid);
  }
  info.pid = pid;
  return AddProcess(info);
}

class SimProcesses::Held : public HeldProcess {
 public:
  Held(SimProcesses& owner, uint32_t pid, uint64_t serial, std::string path)
      : owner_(owner), pid_(pid), serial_(serial), path_(std::move(path)) {}
  uint32_t pid() const override { return pid_; }
  const std::string& imagePath() const override { return path_; }
  bool Exited() override {
    std::lock_guard<std::mutex> lock(owner_.mu_);
    auto it = owner_.serial_.find(pid_);
    return !owner_.table_.count(pid_) || it == owner_.serial_.end() || it->second != serial_;
  }
  uint32_t End(uint32_t exitCode, uint32_t) override { return owner_.EndSerial(pid_, serial_, exitCode); }

 private:
  SimProcesses& owner_;
  uint32_t pid_;
  uint64_t serial_;
  std::string path_;
};

uint32_t SimProcesses::HoldProcess(uint32_t pid, std::unique_ptr<HeldProcess>& held) {
  held.reset();
  std::lock_guard<std::mutex> lock(mu_);
  auto it = table_.find(pid);
  if (it == table_.end()) return err::kInvalidParameter;
  if (protected_.count(pid)) return err::kAccessDenied;
  held = std::make_unique<Held>(*this, pid, serial_[pid], it->second.imagePath);
  return 0;
}

uint32_t SimProcesses::EndSerial(uint32_t pid, uint64_t serial, uint32_t exitCode) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = table_.find(pid);
  // Gone, or the id now belongs to another process: the held one has ended.
  if (it == table_.end() || serial_[pid] != serial) return 0;
  ended_.push_back({pid, it->second.exeName, exitCode});
  table_.erase(it);
  return 0;
}

void SimProcesses::Protect(uint32_t pid) {
  std::lock_guard<std::mutex> lock(mu_);
  protected_.insert(pid);
}

std::vector<SimProcesses::Started> SimProcesses::started() {
  std::lock_guard<std::mutex> lock(mu_);
  return started_;
}

std::vector<SimProcesses::Ended> SimProcesses::ended() {
  std::lock_guard<std::mutex> lock(mu_);
  return ended_;
}

uint32_t SimProcesses::ListProcesses(std::vector<ProcessInfo>& out) {
  std::lock_guard<std::mutex> lock(mu_);
  out.clear();
  for (const auto& [pid, info] : table_) out.push_back(info);
  return 0;
}

uint32_t SimProcesses::EndProcess(uint32_t pid, uint32_t exitCode, uint32_t waitMs) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = table_.find(pid);
  // OpenProcess answers an unknown pid with ERROR_INVALID_PARAMETER.
  if (it == table_.end()) return err::kInvalidParameter;
  if (protected_.count(pid)) return err::kAccessDenied;
  ended_.push_back({pid, it->second.exeName, exitCode});
  table_.erase(it);
  return 0;
}

void SimProcesses::ClosesWhenAsked(uint32_t pid) {
  std::lock_guard<std::mutex> lock(mu_);
  closesWhenAsked_.insert(pid);
}

std::vector<uint32_t> SimProcesses::askedToClose() {
  std::lock_guard<std::mutex> lock(mu_);
  return askedToClose_;
}

uint32_t SimProcesses::AskToClose(uint32_t pid) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!table_.count(pid)) return err::kInvalidParameter;
  askedToClose_.push_back(pid);
  if (closesWhenAsked_.count(pid)) table_.erase(pid);
  return 0;
}

StartResult SimProcesses::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                       const StartOptions& options) {
  StartResult r;
  std::string line = BuildCommandLine(program, args);
  if (line.empty() || !IsFullEntryPath(program)) {
    r.error = line.empty() ? err::kInvalidName : err::kFileNotFound;
    return r;
  }
  if (!files_.FileExists(program)) {
    r.error = files_.DirectoryExists(program.substr(0, program.rfind('\\'))) ? err::kFileNotFound
                                                                              : err::kPathNotFound;
    return r;
  }
  if (!options.workingFolder.empty() && !files_.DirectoryExists(options.workingFolder)) {
    r.error = err::kDirectory;
    return r;
  }
  ProcessInfo info;
  info.parentPid = selfPid_;
  info.imagePath = files_.FullPath(program);
  info.exeName = info.imagePath.substr(info.imagePath.rfind('\\') + 1);
  r.pid = AddProcess(info);
  std::lock_guard<std::mutex> lock(mu_);
  started_.push_back({info.imagePath, line, options, r.pid});
  if (options.wait) {
    // A waited-for program has run to its end by the time the call returns.
    table_.erase(r.pid);
    r.exited = true;
    r.exitCode = exitCode_;
  }
  return r;
}

uint32_t SimProcesses::CreateNamedMutex(const std::string& name, std::unique_ptr<NamedMutex>& held,
                                        bool& alreadyExisted) {
  held.reset();
  alreadyExisted = false;
  // Kernel object names may not hold a backslash except after Global/Local.
  if (name.find('\\') != std::string::npos && name.rfind("Global\\", 0) != 0 && name.rfind("Local\\", 0) != 0)
    return err::kPathNotFound;
  std::lock_guard<std::mutex> lock(mutexes_->mu);
  int& count = mutexes_->holders[name];
  alreadyExisted = count > 0;
  ++count;
  held = std::make_unique<SimMutex>(mutexes_, mutexes_->mu, mutexes_->holders, name);
  return 0;
}

}  // namespace vl::sys
