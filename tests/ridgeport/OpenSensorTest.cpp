// Opening the sensor: device search, identity, the register program of each
// revision, request by request as the simulated device received them.
#include <gtest/gtest.h>

#include "tests/ridgeport/SensorFixture.h"

namespace ridgeport::test {
namespace {

using Traffic = std::vector<std::string>;

const Traffic kRegisterReads = {"r 0x00", "r 0x01", "r 0x02", "r 0x10", "r 0x11", "r 0x12", "r 0x13", "r 0x14",
                                "r 0x15", "r 0x16", "r 0x17", "r 0x20", "r 0x21", "r 0x22", "r 0x23", "r 0x25",
                                "r 0x26", "r 0x27", "r 0x28", "r 0x30", "r 0x31", "r 0x32", "r 0x33", "r 0x34",
                                "r 0x50", "r 0x51", "r 0x52", "r 0x57", "r 0x58", "r 0x59", "r 0x5A"};

Traffic concat(std::initializer_list<Traffic> parts) {
  Traffic all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Steps 7 and 8 of the program, the same for every revision.
const Traffic kFixedMiddle = {"w 0x14=1", "w 0x15=44", "w 0x16=1", "w 0x17=128",
                              "w 0x20=0", "w 0x21=6",  "w 0x22=0", "w 0x23=6"};

// Written out from the register table for dv44 = 0x11, dv46 = 0x22, dv47 = 0x33
// (51), dv48 = 0x44 (68).
const Traffic kProgramDefault = concat(
    {{"w 0x01=0", "w 0x02=0", "w 0x10=1", "w 0x11=44", "w 0x12=0", "w 0x13=6"},
     kFixedMiddle,
     {"dv 0x47", "w 0x27=51", "w 0x26=0", "w 0x25=0", "w 0x28=4", "w 0x30=40", "dv 0x48", "w 0x32=68", "w 0x34=2"}});

const Traffic kProgram1F = concat(
    {{"w 0x01=4", "w 0x02=4", "w 0x10=0", "w 0x11=6", "w 0x12=0", "w 0x13=6"},
     kFixedMiddle,
     {"dv 0x47", "w 0x27=51", "w 0x26=0", "w 0x25=0", "w 0x28=0", "w 0x30=40", "dv 0x48", "w 0x32=68", "w 0x34=5"}});

// D = (51 + 20) x 1000 = 71000 = 0x011558.
const Traffic kProgram20 =
    concat({{"w 0x01=4", "w 0x02=0", "dv 0x46", "w 0x10=0", "w 0x11=34", "dv 0x44", "w 0x12=0", "w 0x13=17"},
            kFixedMiddle,
            {"dv 0x47", "w 0x27=88", "w 0x26=21", "w 0x25=1", "w 0x28=0", "w 0x30=10", "start", "read 115200",
             "w 0x02=128", "dv 0x48", "w 0x31=50", "w 0x32=5", "w 0x33=5", "w 0x34=2"}});

const Traffic kProgram21 =
    concat({{"w 0x01=4", "w 0x02=4", "dv 0x46", "w 0x10=0", "w 0x11=34", "dv 0x44", "w 0x12=0", "w 0x13=17"},
            kFixedMiddle,
            {"w 0x27=20", "w 0x26=0", "w 0x25=0", "w 0x28=0", "w 0x30=25", "dv 0x48", "w 0x32=68", "w 0x34=5"}});

struct Revision {
  int revision;
  const Traffic* program;
};

void PrintTo(const Revision& r, std::ostream* out) { *out << "revision 0x" << std::hex << r.revision; }

class RegisterProgram : public SensorTest, public ::testing::WithParamInterface<Revision> {};

TEST_P(RegisterProgram, IsSentRequestByRequestAfterTheThirtyOneReads) {
  plug(0, GetParam().revision);
  Call c = open();
  EXPECT_TRUE(succeeded(c));
  EXPECT_EQ(trafficOf(0), concat({{"open", "descriptor"}, kRegisterReads, *GetParam().program}));
  EXPECT_EQ(sim_.registerValue(0, 0x17), 0x80);
}

INSTANTIATE_TEST_SUITE_P(EachRevision, RegisterProgram,
                         ::testing::Values(Revision{0x1E, &kProgramDefault}, Revision{0x1F, &kProgram1F},
                                           Revision{0x20, &kProgram20}, Revision{0x21, &kProgram21},
                                           Revision{0x33, &kProgramDefault}),
                         [](const auto& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "Revision%02X", info.param.revision);
                           return std::string(name);
                         });

TEST_F(SensorTest, SecondOpenOnlyRechecksTheIdentity) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.clearRequests();
  Call again = open();
  EXPECT_EQ(again.result, 1);
  EXPECT_EQ(again.error, 0);
  EXPECT_EQ(trafficOf(0), Traffic{"descriptor"});
}

TEST_F(SensorTest, ForeignDeviceAtZeroIsClosedAndTheSearchGoesOn) {
  plug(0, 0x21, {0x1234, 0x5678});
  plug(1);
  EXPECT_EQ(open().result, 1);
  EXPECT_EQ(trafficOf(0), (Traffic{"open", "descriptor", "close"}));
  EXPECT_EQ(trafficOf(1).front(), "open");
  EXPECT_EQ(trafficOf(1).back(), "w 0x34=5");
}

TEST_F(SensorTest, FirstOfTwoAcceptedSensorsIsUsed) {
  plug(5, 0x21, driver::SensorIdentityA);
  plug(2, 0x1F, driver::SensorIdentityB);
  EXPECT_EQ(open().result, 1);
  EXPECT_EQ(trafficOf(2).size(), 2 + kRegisterReads.size() + kProgram1F.size());
  EXPECT_TRUE(trafficOf(5).empty());
}

TEST_F(SensorTest, NoSensorGives2091) {
  plug(3, 0x21, {0x1234, 0x5678});
  Call c = open();
  EXPECT_TRUE(failedWith(c, -2091, "Unable to create device handle."));
  EXPECT_EQ(trafficOf(3), (Traffic{"open", "descriptor", "close"}));
}

TEST_F(SensorTest, DescriptorThatCannotBeFetchedEndsTheSearchAndTheHandleIsKept) {
  plug(0);
  plug(1);
  sim_.failDescriptorRequests(0, 1);
  Call c = open();
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.error, -2091);
  EXPECT_EQ(trafficOf(0), (Traffic{"open", "descriptor (failed)"}));
  EXPECT_TRUE(trafficOf(1).empty());  // the search stopped

  // The kept handle is only re-checked, not programmed...
  sim_.clearRequests();
  EXPECT_EQ(open().result, 1);
  EXPECT_EQ(trafficOf(0), Traffic{"descriptor"});
  // ...so the first capture finds register 0x17 unprogrammed and reopens.
  std::vector<unsigned char> image;
  EXPECT_EQ(wholeImage(image).result, 1);
  EXPECT_EQ(sim_.registerValue(0, 0x17), 0x80);
}

TEST_F(SensorTest, FailedRegisterReadOrWriteEndsTheOpenWithItsError) {
  plug(0);
  sim_.failControlRequests(0, 1, 0x50);
  Call c = open();
  EXPECT_TRUE(failedWith(c, -2022, "Cannot transfer data. (2000-022)"));
  auto t = trafficOf(0);
  EXPECT_EQ(t.back(), "w 0x01=4 (failed)");
  EXPECT_EQ(t.size(), 2 + kRegisterReads.size() + 1);

  close();
  sim_.clearRequests();
  sim_.failControlRequests(0, 1, 0x4F);
  c = open();
  EXPECT_EQ(c.error, -2022);
  EXPECT_EQ(trafficOf(0), (Traffic{"open", "descriptor", "r 0x00 (failed)"}));
}

TEST_F(SensorTest, RevisionTwentyOpenFailsWhenItsFrameCannotBeRead) {
  plug(0, 0x20);
  sim_.shortenFrames(0, 1, 1000);
  Call c = open();
  EXPECT_TRUE(failedWith(c, -2967, "Can not read fingerprint image. (2000-967)"));
  EXPECT_EQ(trafficOf(0).back(), "read 115200");  // nothing written after the failed frame
}

TEST_F(SensorTest, DeviceDescriptorIsFetchedAndChecked) {
  unsigned char descriptor[18];
  std::fill(std::begin(descriptor), std::end(descriptor), 0xAB);
  char message[256];
  int error = 7;
  // Without an open sensor: success, buffer untouched, nothing sent.
  EXPECT_EQ(VD_GetDeviceDiscriptor(descriptor, message, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_STREQ(message, "Veradynics");
  EXPECT_EQ(descriptor[0], 0xAB);
  EXPECT_EQ(descriptor[17], 0xAB);

  plug(0, 0x1F, driver::SensorIdentityB);
  ASSERT_EQ(open().result, 1);
  EXPECT_EQ(VD_GetDeviceDiscriptor(descriptor, message, &error), 1);
  EXPECT_EQ(descriptor[0], 18);
  EXPECT_EQ(descriptor[8] | descriptor[9] << 8, driver::SensorIdentityB.vendorId);
  EXPECT_EQ(descriptor[10] | descriptor[11] << 8, driver::SensorIdentityB.productId);
  EXPECT_EQ(descriptor[12], 0x1F);
}

TEST_F(SensorTest, KeptHandleOfAForeignDeviceFailsTheIdentityCheck) {
  // A foreign device that could not tell who it is during the search keeps its
  // handle; from then on every check of the open device refuses it.
  plug(0, 0x21, {0x1234, 0x5678});
  sim_.failDescriptorRequests(0, 1);
  ASSERT_EQ(open().error, -2091);

  Call c = open();
  EXPECT_TRUE(failedWith(c, -2102, "Mismatch fingerprint sensor. (2000-102"));

  unsigned char descriptor[18] = {};
  char message[256];
  int error = 0;
  EXPECT_EQ(VD_GetDeviceDiscriptor(descriptor, message, &error), 0);
  EXPECT_EQ(error, -2102);
  EXPECT_EQ(descriptor[8] | descriptor[9] << 8, 0x1234);  // handed out all the same

  std::vector<unsigned char> image;
  EXPECT_EQ(wholeImage(image).error, -2102);
  c = previewImage(image);
  EXPECT_TRUE(failedWith(c, -2968, "Sensor is used by another program. try anain later. (2000-968)"));
  EXPECT_EQ(image[0], 0xEE);
}

TEST_F(SensorTest, RegisterAccessWithoutAHandleFailsAsATransfer) {
  unsigned char value = 0x5A;
  Call c = readRegister(0x17, value);
  EXPECT_TRUE(failedWith(c, -2022, "Cannot transfer data. (2000-022)"));
  EXPECT_EQ(value, 0x5A);
  char message[256];
  int error = 0;
  EXPECT_EQ(VD_OnWriteCMOS(0x17, 1, message, &error), 0);
  EXPECT_EQ(error, -2022);
}

TEST_F(SensorTest, RegisterReadAndWriteReachTheDevice) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  char message[256];
  int error = 1;
  EXPECT_EQ(VD_OnWriteCMOS(0x5A, 0x1C3, message, &error), 1);  // only the low byte is sent
  EXPECT_EQ(sim_.registerValue(0, 0x5A), 0xC3);
  unsigned char value[2] = {0, 0x77};
  EXPECT_EQ(readRegister(0x5A, value[0]).result, 1);
  EXPECT_EQ(value[0], 0xC3);
  EXPECT_EQ(value[1], 0x77);
}

TEST_F(SensorTest, CloseReportsSuccessAndTheNextOpenStartsOver) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  Call c = close();
  EXPECT_TRUE(succeeded(c));
  EXPECT_EQ(trafficOf(0).back(), "close");
  sim_.clearRequests();
  EXPECT_EQ(open().result, 1);
  EXPECT_EQ(trafficOf(0).size(), 2 + kRegisterReads.size() + kProgram21.size());
}

TEST(Ridgeport, DllVersionIs2210) {
  int version = 0;
  EXPECT_EQ(VD_GetDllVersion(&version), 1);
  EXPECT_EQ(version, 2210);
  EXPECT_EQ(VD_GetDllVersion(nullptr), 0);
}

}  // namespace
}  // namespace ridgeport::test
