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
  std::optional<std::string> folderToCreate;  // set for several sources with -o
  std::string error;                          // German; empty when usable
};

// One source: the target is the movie file (inside it by the source's name when
// it is an existing folder), by default the source's name with .swf beside it. Several: the target is a folder holding
// <name>.swf for each (each beside its source without a target). Two sources that would write the same movie are
// refused.
TargetPlan PlanTargets(const std::vector<std::string>& sources, const std::optional<std::string>& target);
