// Which movie file each source becomes.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct PlannedMovie {
  std::string source;
  std::string target;
};

struct TargetPlan {
  std::vector<PlannedMovie> movies;
  std::optional<std::string> folderToCreate;  // set for several sources with -o, or a folder for one
  std::string error;                          // German; empty when usable
};

// One source: the target is the movie file (.swf added when it has no
// extension), or a folder when it exists or ends in '/' (created then) that
// takes the movie by the source's name; without one the source's name with
// .swf beside it. Several: the target is a folder holding <name>.swf for each
// (each beside its source without a target). Two sources that would write the
// same movie are refused.
TargetPlan PlanTargets(const std::vector<std::string>& sources, const std::optional<std::string>& target);
