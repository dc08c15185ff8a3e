// The cleaned count of a record: a removal that removes nothing leaves the
// count of the run before it.
#include <gtest/gtest.h>

#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence {
namespace {

TEST(CleanedCount, IsStoredOnlyWhenARunRemovedSomething) {
  sys::SimPlatform sim;
  const std::string file = "C:\\Users\\Tester\\AppData\\Local\\Temp\\trace.txt";
  sim.platform().files->CreateFolder("C:\\Users\\Tester\\AppData\\Local\\Temp");
  ASSERT_TRUE(sim.platform().files->WriteFileBytes(file, "x"));
  TSearchEvidence record(310, "test");
  TScanEvidence item;
  item.path = file;
  item.kind = kFile;
  record.items = {item};
  record.itemCount = 1;
  testing::RecordingContext c(sim.platform(), 0);
  RemoveEvidence(c, {&record});
  EXPECT_EQ(record.cleanedCount.load(), 1);
  EXPECT_FALSE(sim.platform().files->FileExists(file));
  // The records keep their items: a second run tries the gone file again.
  RemoveEvidence(c, {&record});
  EXPECT_EQ(record.cleanedCount.load(), 1);
}

}  // namespace
}  // namespace vl::evidence
