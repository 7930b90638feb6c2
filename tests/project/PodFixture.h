#pragma once
#include <unistd.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "project/PodProject.h"

// The current directory for the life of the object; file lookup depends on it.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : old_(getcwd(nullptr, 0)) { EXPECT_EQ(chdir(folder.c_str()), 0); }
  ~InFolder() { EXPECT_EQ(chdir(old_), 0); free(old_); }

 private:
  char* old_;
};

struct LoadedPod {
  std::unique_ptr<PodProject> project = std::make_unique<PodProject>(600);
  bool ok = false;
  std::string err;  // everything the load printed on standard error
};

// Writes `text` as show.pod into `dir` and loads it from there, as the build does.
inline LoadedPod LoadPod(const TempDir& dir, const std::string& text) {
  dir.Write("show.pod", text);
  InFolder here(dir.path());
  LoadedPod loaded;
  testing::internal::CaptureStderr();
  loaded.ok = loaded.project->Load("show.pod", dir.path());
  loaded.err = testing::internal::GetCapturedStderr();
  return loaded;
}

// The edit points of one kind, in section order.
template <class Part>
std::vector<Part*> PartsOf(const PodProject& project, int typeId) {
  std::vector<Part*> parts;
  for (EditPoint* e : project.editPoints.Items())
    if (e->TypeId() == typeId) parts.push_back(static_cast<Part*>(e));
  return parts;
}
