// Exclusive use across programs: a second process holds the sensor lock.
#include <gtest/gtest.h>

#include "tests/ridgeport/LockHolder.h"
#include "tests/ridgeport/SensorFixture.h"

namespace ridgeport::test {
namespace {

using Traffic = std::vector<std::string>;

TEST_F(SensorTest, WhileAnotherProgramTransfersControlCallsAreBusyAndNothingIsSent) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.clearRequests();
  {
    LockHolder other;
    unsigned char value = 0x5A;
    Call c = readRegister(0x17, value);
    EXPECT_TRUE(failedWith(c, -2021, "Sensor is on operation. Try again later. (2000-021)"));
    EXPECT_EQ(value, 0x5A);

    char message[256];
    int error = 0;
    EXPECT_EQ(VD_OnWriteCMOS(0x32, 9, message, &error), 0);
    EXPECT_EQ(error, -2021);
    EXPECT_EQ(VD_OpenSensor(message, &error), 0);  // the re-check is a control call too
    EXPECT_EQ(error, -2021);

    std::vector<unsigned char> image;
    c = wholeImage(image);
    EXPECT_EQ(c.error, -2021);
    EXPECT_EQ(image[0], 0xEE);
    EXPECT_EQ(previewImage(image).error, -2968);
    EXPECT_TRUE(sim_.requests(0).empty());

    // The lock is free again once the other program is done.
    other.release();
    EXPECT_EQ(readRegister(0x17, value).result, 1);
    EXPECT_EQ(value, 0x80);
  }
}

TEST_F(SensorTest, OpenWhileAnotherProgramTransfersKeepsTheHandleForTheNextOpen) {
  plug(0);
  {
    LockHolder other;
    Call c = open();
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.error, -2091);
    EXPECT_EQ(trafficOf(0), Traffic{"open"});  // opened, but the descriptor never went out
  }
  sim_.clearRequests();
  Call c = open();
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(trafficOf(0), Traffic{"descriptor"});
}

TEST_F(SensorTest, AnotherThreadOfThisProcessInsideATransferMakesCallsBusy) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  // While the frame read is in flight (the hook runs inside it), a second call
  // from this process meets the transfer and is refused at once.
  Call during;
  unsigned char value = 0;
  sim_.setRequestHook([&](int, const sim::RecordedRequest& r) {
    if (r.kind == sim::RecordedRequest::Kind::Read) during = readRegister(0x17, value);
  });
  std::vector<unsigned char> image;
  EXPECT_EQ(wholeImage(image).result, 1);
  sim_.setRequestHook({});
  EXPECT_EQ(during.error, -2021);
}

}  // namespace
}  // namespace ridgeport::test
