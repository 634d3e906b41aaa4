#include "platform/log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Log, CaptureSeesEachTextUnchanged) {
  platform::LogCapture capture;
  platform::Log("SendFCPRequest Failed.");
  platform::Log("Max stacksize: %i", 3);
  platform::Log("Korvane Driver Version: %i.%i.%i \n.", 1, 2, 345);
  const std::vector<std::string> expected = {"SendFCPRequest Failed.", "Max stacksize: 3",
                                             "Korvane Driver Version: 1.2.345 \n."};
  EXPECT_EQ(capture.Lines(), expected);
  EXPECT_EQ(capture.Count("Max stacksize: 3"), 1);
}

TEST(Log, LongTextsAreNotCut) {
  platform::LogCapture capture;
  const std::string longText(3000, 'x');
  platform::Log("%s|", longText.c_str());
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0], longText + "|");
}

TEST(Log, LinesFromManyThreadsStayWhole) {
  platform::LogCapture capture;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) platform::Log("thread %d line %d\n", t, i);
    });
  for (auto& thread : threads) thread.join();
  const auto lines = capture.Lines();
  EXPECT_EQ(lines.size(), 800u);
  EXPECT_EQ(capture.Count("thread 3 line 199\n"), 1);
}

}  // namespace
