#include "update/update_job.h"

#include "app/page_codes.h"
#include "update/update_check.h"
#include "update/update_server.h"

namespace vl::update {
namespace {

class UpdateCheckJob : public backup::OpJob {
 public:
  explicit UpdateCheckJob(MainForm& main)
      : main_(main),
        check_(main.platform(), main.exePath, UpdateServer(main.platform())) {}

  void Run() override { check_.Run(); }

  void End() override {
    // The wait window first: the message and the updater come after it.
    main_.ports().CloseWait();
    if (main_.currentPage() == page::kOptions) main_.control(id::panOptions_Top).Focus();
    if (check_.end() == CheckEnd::kLatest)
      main_.ports().ShowMessage("Your version is the latest version.", "Vantorel", MsgButtons::Ok,
                                MsgIcon::Information);
    else if (check_.end() == CheckEnd::kNewerProgram)
      main_.platform().processes->StartProgram(main_.appDir() + "Update.exe", {}, sys::StartOptions{});
  }

 private:
  MainForm& main_;
  UpdateCheck check_;
};

}  // namespace

std::unique_ptr<backup::OpJob> MakeUpdateCheckJob(MainForm& main) { return std::make_unique<UpdateCheckJob>(main); }

}  // namespace vl::update
