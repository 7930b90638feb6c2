#include "imaging/SlideBatch.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "imaging/ImageMessages.h"
#include "platform/helper/ProcessMemory.h"

SlideBatch::SlideBatch(SlidePreparer preparer, int threads)
    : preparer_(std::move(preparer)),
      threads_(threads > 0 ? threads : std::max(1, int(std::thread::hardware_concurrency()))) {}

PreparedSlide SlideBatch::PrepareOne(const SlideJob& job) const {
  PreparedSlide slide;
  slide.file = job.imageFile;
  ImageMessageCapture messages;
  slide.ok = preparer_.PrepImage(job.frameW, job.frameH, job.scaleW, job.scaleH, job.colour, slide.file,
                                 job.outFormat, slide.replaced, job.hMode, job.vMode, job.titles);
  slide.messages = messages.Take();
  return slide;
}

std::vector<PreparedSlide> SlideBatch::Prepare(const std::vector<SlideJob>& jobs) const {
  KeepFreedMemory();
  std::vector<PreparedSlide> slides(jobs.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) slides[i] = PrepareOne(jobs[i]);
  };
  {
    std::vector<std::jthread> others(std::size_t(std::max(0, std::min<int>(threads_, int(jobs.size())) - 1)));
    for (std::jthread& other : others) other = std::jthread(work);
    work();
  }  // every helper has finished here
  return slides;
}
