#include "export_job_run.h"

#include "export/export_job.h"
#include "export/export_snapshot.h"

namespace vantorelle::shell {
namespace {

// The controller's view of an ExportJob; its end cancels and waits.
class JobRun : public IExportRun {
 public:
  explicit JobRun(std::unique_ptr<ExportJob> job) : job_(std::move(job)) {}
  ExportProgress Progress() const override { return job_->Progress(); }
  void Cancel() override { job_->Cancel(); }

 private:
  std::unique_ptr<ExportJob> job_;
};

}  // namespace

ExportStarter MakeExportStarter(const CVantorelleDoc& doc) {
  return [&doc](const ExportRequest& request) {
    ExportSnapshotResult taken = TakeExportSnapshot(doc, request);
    if (!taken.snapshot) return ExportStart{nullptr, taken.refusal};
    std::unique_ptr<ExportJob> job = ExportJob::Start(std::move(taken.snapshot));
    if (!job) return ExportStart{nullptr, "The export could not start."};
    return ExportStart{std::make_unique<JobRun>(std::move(job)), {}};
  };
}

}  // namespace vantorelle::shell
