#include "cli/TargetPlan.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string MovieBeside(const std::string& source) { return fs::path(source).replace_extension(".swf").string(); }

std::string MovieInFolder(const std::string& folder, const std::string& source) {
  fs::path name = fs::path(source).filename();
  return (fs::path(folder) / name.replace_extension(".swf")).string();
}

std::string FindClash(const std::vector<PlannedMovie>& movies) {
  std::set<fs::path> seen;
  for (const PlannedMovie& movie : movies) {
    if (!seen.insert(fs::path(movie.target).lexically_normal()).second) {
      return "Mehrere Quellen ergäben denselben Film " + movie.target;
    }
  }
  return {};
}

// A movie file named without extension gets the one players look for.
std::string WithSwfExtension(const std::string& target) {
  return fs::path(target).has_extension() ? target : target + ".swf";
}

}  // namespace

TargetPlan PlanTargets(const std::vector<std::string>& sources, const std::optional<std::string>& target) {
  TargetPlan plan;
  if (sources.size() == 1) {
    // An existing folder, or a name ending in '/', takes the movie by the source's name.
    const bool existingFolder = target && fs::is_directory(*target);
    const bool intoFolder = existingFolder || (target && target->ends_with('/'));
    plan.movies.push_back({sources.front(), !target      ? MovieBeside(sources.front())
                                            : intoFolder ? MovieInFolder(*target, sources.front())
                                                         : WithSwfExtension(*target)});
    if (intoFolder && !existingFolder) plan.folderToCreate = *target;
    return plan;
  }
  for (const std::string& source : sources) {
    plan.movies.push_back({source, target ? MovieInFolder(*target, source) : MovieBeside(source)});
  }
  if (target) plan.folderToCreate = *target;
  plan.error = FindClash(plan.movies);
  return plan;
}
