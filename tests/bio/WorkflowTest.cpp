// Enrollment and verification end to end: the utility's threads, the real
// libraries and the simulated sensor with real impressions on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "lockmere/bio/NimbraThread.h"
#include "tests/bio/BioFixture.h"

namespace bio::test {
namespace {

using Kind = ridgeport::sim::RecordedRequest::Kind;

constexpr int kRecordSize = 3656;  // the data file's template record
constexpr int kHeaderSize = 52;    // where the template sits in it

using Preview = std::array<unsigned char, RIDGECORE_PREVIEW_SIZE>;

class WorkflowTest : public BioTest {
 protected:
  void SetUp() override {
    BioTest::SetUp();
    if (HasFatalFailure()) return;
    plug();
  }

  // Enrolls a finger through EnrollStart as a user would: one impression
  // after the other, and after a refused attempt (not the same finger, not
  // moved) the next impression. The refusal arrives while the thread waits
  // in the send, so the finger is changed before it captures again. Returns
  // the next unused impression number.
  int enrollFinger(TNimbraUtil& util, const std::string& finger, tagENROLL& enroll, Calls& calls, Preview& preview) {
    std::memset(&enroll, 0, sizeof enroll);
    int impression = 1;
    layFinger(finger + "_1");
    for (int number = 1; number <= 3; ++number) {
      auto onError = [&](int slot, int code) {
        onEnrollError(calls)(slot, code);
        if ((code == -2 || code == -10) && impression < kImpressions)
          layFinger(finger + "_" + std::to_string(++impression));
      };
      int error = 1;
      EXPECT_EQ(util.EnrollStart(number, &enroll, preview.data(), onEnrolled(calls), onError, &error), 1)
          << util.errorString().toStdString();
      EXPECT_EQ(error, 0);
      // The same calls may have seen another finger's enrollment before.
      const std::string done = "enrolled " + std::to_string(number);
      const int before = calls.count(done);
      EXPECT_TRUE(waitUntil([&] { return calls.count(done) == before + 1; })) << "last callback: " << calls.last();
      if (calls.count(done) != before + 1) return impression;
      lastEnrolled_ = finger + "_" + std::to_string(impression);
      if (number < 3) layFinger(finger + "_" + std::to_string(++impression));
    }
    return impression + 1;
  }

  static constexpr int kImpressions = 8;  // per finger in the sample sets
  std::string lastEnrolled_;

  static std::vector<unsigned char> records(std::initializer_list<const tagENROLL*> templates) {
    std::vector<unsigned char> out(templates.size() * kRecordSize, 0);
    std::size_t i = 0;
    for (const tagENROLL* t : templates) std::memcpy(&out[i++ * kRecordSize + kHeaderSize], t, sizeof *t);
    return out;
  }

  // The sensor is open (a thread's start then only checks its identity) and
  // its next count control transfers fail.
  void failTransfers(int count) {
    char message[256];
    int error = 0;
    ASSERT_EQ(sdk_->VD_OpenSensor(message, &error), 1) << message;
    sim_.clearRequests();
    sim_.failControlRequests(0, count);
  }

  // Records the sensor never matches without a finger: one zeroed template.
  std::vector<unsigned char> emptyRecords_ = std::vector<unsigned char>(kRecordSize, 0);
};

// The preview shows the centre of what lies on the sensor.
double previewDifference(const Preview& preview, const std::string& finger) {
  const auto image = sampleFinger(finger).inverted();
  double sum = 0;
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c)
      sum += std::abs(int(preview[r * 100 + c]) - int(image.pixels[(100 + r) * 300 + 100 + c]));
  return sum / 10000.0;
}

TEST_F(WorkflowTest, StartsRefuseWrongArgumentsWithoutTouchingTheSensor) {
  auto util = makeUtil();
  tagENROLL enroll{};
  Calls calls;
  for (int finger : {0, 4}) {
    int error = 0;
    EXPECT_EQ(util->EnrollStart(finger, &enroll, nullptr, onEnrolled(calls), onEnrollError(calls), &error), 0);
    EXPECT_EQ(error, -1);
  }
  int error = 0;
  EXPECT_EQ(util->EnrollStart(1, nullptr, nullptr, onEnrolled(calls), onEnrollError(calls), &error), 0);
  EXPECT_EQ(error, -1);
  error = 0;
  EXPECT_FALSE(util->VerifyStart(nullptr, 2, kRecordSize, kHeaderSize, nullptr, onVerified(calls), onVerifyError(calls),
                                 &error));
  EXPECT_EQ(error, -1);
  EXPECT_TRUE(sim_.requests(0).empty());
  spin(100ms);
  EXPECT_TRUE(calls.events.empty());
}

TEST_F(WorkflowTest, EnrollsThreeRealImpressions) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Enroll");
  SKIP_WITHOUT_MATCHER();
  auto util = makeUtil();
  tagENROLL enroll;
  Calls calls;
  Preview preview{};
  enrollFinger(*util, "101", enroll, calls, preview);
  if (HasFailure()) return;

  std::vector<std::string> enrolled;
  std::copy_if(calls.events.begin(), calls.events.end(), std::back_inserter(enrolled),
               [](const std::string& e) { return e.rfind("enrolled", 0) == 0; });
  EXPECT_EQ(enrolled, (std::vector<std::string>{"enrolled 1", "enrolled 2", "enrolled 3"}));
  EXPECT_EQ(calls.count("enroll-error 1 -13") + calls.count("enroll-error 2 -13") + calls.count("enroll-error 3 -13"),
            0);
  EXPECT_TRUE(calls.allOnMainThread);
  EXPECT_FALSE(util->IsEnrolling());
  // A completed classic template.
  EXPECT_EQ(enroll.type, 1);
  EXPECT_EQ(enroll.magic, RIDGECORE_ENROLL_MAGIC);
  EXPECT_EQ(enroll.security, 5);
  EXPECT_EQ(enroll.impressions, 3);
  EXPECT_EQ(enroll.flags[0] + enroll.flags[1] + enroll.flags[2], 3);
  EXPECT_LT(previewDifference(preview, lastEnrolled_), 4.0);
}

TEST_F(WorkflowTest, NoFingerGivesMinus7UntilAFingerArrivesThenTheMatchingIndex) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Enroll");
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Compare");
  SKIP_WITHOUT_MATCHER();
  auto util = makeUtil();
  tagENROLL first, second;
  Calls enrollCalls;
  Preview preview{};
  enrollFinger(*util, "102", first, enrollCalls, preview);
  int probe = enrollFinger(*util, "101", second, enrollCalls, preview);
  if (HasFailure()) return;
  sim_.liftFinger(0);
  const auto templates = records({&first, &second});

  Calls calls;
  preview.fill(0);
  // An impression the search does not find (a completed search without a
  // match) is followed by the next one, as a user would try again.
  std::string laid;
  auto onError = [&](int a, int b) {
    onVerifyError(calls)(a, b);
    if (a == -1000 && probe < kImpressions) layFinger(laid = "101_" + std::to_string(++probe));
  };
  int error = 1;
  ASSERT_TRUE(util->VerifyStart(templates.data(), 2, kRecordSize, kHeaderSize, preview.data(), onVerified(calls),
                                onError, &error))
      << util->errorString().toStdString();
  EXPECT_EQ(error, 0);
  ASSERT_TRUE(waitUntil([&] { return calls.count("verify-error 7 -7") >= 3; })) << calls.last();
  EXPECT_EQ(calls.count("verify-error 7 -7"), int(calls.events.size()));
  EXPECT_TRUE(util->IsVerifying());

  ASSERT_LE(probe, kImpressions) << "every impression went into the templates";
  layFinger(laid = "101_" + std::to_string(probe));
  ASSERT_TRUE(waitUntil([&] { return calls.count("verified") == 1; })) << calls.last();
  spin(300ms);
  EXPECT_EQ(calls.last(), "verified 1");
  EXPECT_EQ(calls.count("verified 0"), 0) << "another finger's template matched";
  EXPECT_EQ(calls.count("verify-error 7 -7") + calls.count("verify-error -1000") + 1, int(calls.events.size()));
  EXPECT_TRUE(calls.allOnMainThread);
  EXPECT_FALSE(util->IsVerifying());
  EXPECT_LT(previewDifference(preview, laid), 4.0);
}

TEST_F(WorkflowTest, UnpluggingDuringVerificationEndsItWithSensorGone) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Compare");
  auto util = makeUtil();
  Calls calls;
  Preview preview{};
  int error = 1;
  // What the login windows do: on "sensor gone" wait for the sensor again.
  auto onError = [&](int a, int b) {
    onVerifyError(calls)(a, b);
    if (a == 13) util->SetConnectedSensorEvent(onConnected(calls));
  };
  ASSERT_TRUE(util->VerifyStart(emptyRecords_.data(), 1, kRecordSize, kHeaderSize, preview.data(), onVerified(calls),
                                onError, &error));
  ASSERT_TRUE(waitUntil([&] { return calls.count("verify-error 7 -7") >= 2; })) << calls.last();

  sim_.unplug(0);
  ASSERT_TRUE(waitUntil([&] { return calls.count("verify-error 13 -13") == 1; })) << calls.last();
  EXPECT_FALSE(util->IsVerifying());
  spin(300ms);
  EXPECT_EQ(calls.count("verify-error 13 -13"), 1);
  EXPECT_EQ(calls.last(), "verify-error 13 -13");
  EXPECT_EQ(calls.count("verified"), 0);

  plug();
  ASSERT_TRUE(waitUntil([&] { return calls.count("connected") == 1; }));
}

TEST_F(WorkflowTest, StartingAVerificationStopsTheRunningOne) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Compare");
  auto first = makeUtil();
  auto second = makeUtil();
  Calls firstCalls, secondCalls;
  Preview firstPreview{}, secondPreview{};
  int error = 0;
  ASSERT_TRUE(first->VerifyStart(emptyRecords_.data(), 1, kRecordSize, kHeaderSize, firstPreview.data(),
                                 onVerified(firstCalls), onVerifyError(firstCalls), &error));
  ASSERT_TRUE(waitUntil([&] { return firstCalls.events.size() >= 2; }));

  ASSERT_TRUE(second->VerifyStart(emptyRecords_.data(), 1, kRecordSize, kHeaderSize, secondPreview.data(),
                                  onVerified(secondCalls), onVerifyError(secondCalls), &error));
  const std::size_t firstSeen = firstCalls.events.size();
  EXPECT_FALSE(first->IsVerifying());
  EXPECT_TRUE(second->IsVerifying());
  ASSERT_TRUE(waitUntil([&] { return secondCalls.events.size() >= 3; }));
  EXPECT_EQ(firstCalls.events.size(), firstSeen);  // nothing more, not even what was on its way

  // Stopping the first window's verification leaves the second one's running.
  first->VerifyStop();
  EXPECT_TRUE(second->IsVerifying());
  second->VerifyStop();
  EXPECT_FALSE(second->IsVerifying());
  const std::size_t secondSeen = secondCalls.events.size();
  const std::size_t captures = sim_.requests(0).size();
  spin(300ms);
  EXPECT_EQ(secondCalls.events.size(), secondSeen);
  EXPECT_EQ(sim_.requests(0).size(), captures);  // the thread has ended: the sensor is left alone
}

TEST_F(WorkflowTest, DestroyingTheUtilityDuringVerificationLeavesTheCallersBuffersAlone) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Compare");
  auto util = makeUtil();
  Calls calls;
  auto templates = std::make_unique<std::vector<unsigned char>>(emptyRecords_);
  auto preview = std::make_unique<Preview>();
  int error = 0;
  ASSERT_TRUE(util->VerifyStart(templates->data(), 1, kRecordSize, kHeaderSize, preview->data(), onVerified(calls),
                                onVerifyError(calls), &error));
  ASSERT_TRUE(waitUntil([&] { return calls.events.size() >= 2; }));
  // The window goes, and its buffers with it, without stopping first.
  util.reset();
  templates.reset();
  preview.reset();
  const std::size_t seen = calls.events.size();
  spin(300ms);
  EXPECT_EQ(calls.events.size(), seen);
}

TEST_F(WorkflowTest, EnrollmentAbsorbsAHundredFailedTransfers) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Enroll");
  layFinger("101_1");
  failTransfers(100);
  auto util = makeUtil();
  tagENROLL enroll{};
  Calls calls;
  Preview preview{};
  int error = 1;
  ASSERT_EQ(util->EnrollStart(1, &enroll, preview.data(), onEnrolled(calls), onEnrollError(calls), &error), 1)
      << util->errorString().toStdString();
  ASSERT_TRUE(waitUntil([&] { return !calls.events.empty(); }));
  EXPECT_EQ(calls.events, std::vector<std::string>{"enrolled 1"});
  EXPECT_EQ(requestCount(0, Kind::Vendor, true), 100);
  // The template and the preview reached the caller's buffers.
  EXPECT_EQ(enroll.flags[0], 1);
  EXPECT_GT(enroll.slot[0].count, 0);
  EXPECT_LT(previewDifference(preview, "101_1"), 4.0);
}

TEST_F(WorkflowTest, EnrollmentEndsAtTheHundredAndFirstFailedTransfer) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Enroll");
  failTransfers(101);
  auto util = makeUtil();
  tagENROLL enroll{};
  Calls calls;
  int error = 1;
  ASSERT_EQ(util->EnrollStart(2, &enroll, nullptr, onEnrolled(calls), onEnrollError(calls), &error), 1);
  ASSERT_TRUE(waitUntil([&] { return !calls.events.empty(); }));
  spin(300ms);
  EXPECT_EQ(calls.events, std::vector<std::string>{"enroll-error 2 -13"});
  EXPECT_EQ(requestCount(0, Kind::Vendor, true), 101);
  EXPECT_FALSE(util->IsEnrolling());
}

TEST_F(WorkflowTest, StartFailsWithMinus100WhenAHundredOpensFail) {
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Enroll");
  SKIP_WITHOUT_EXPORT(sdk_, "VD_Compare");
  sim_.failDescriptorRequests(0, 1'000'000);
  auto util = makeUtil();
  tagENROLL enroll{};
  Calls calls;
  int error = 0;
  EXPECT_EQ(util->EnrollStart(3, &enroll, nullptr, onEnrolled(calls), onEnrollError(calls), &error), 0);
  EXPECT_EQ(error, -100);
  EXPECT_EQ(util->errorString(), "Cannot find fingerprint input device. Please try again.");
  EXPECT_EQ(requestCount(0, Kind::Descriptor), 100);
  EXPECT_FALSE(util->IsEnrolling());

  error = 0;
  EXPECT_FALSE(util->VerifyStart(emptyRecords_.data(), 1, kRecordSize, kHeaderSize, nullptr, onVerified(calls),
                                 onVerifyError(calls), &error));
  EXPECT_EQ(error, -100);
  EXPECT_EQ(requestCount(0, Kind::Descriptor), 200);
  spin(200ms);
  EXPECT_TRUE(calls.events.empty());
}

}  // namespace
}  // namespace bio::test
