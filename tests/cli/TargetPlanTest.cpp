#include "cli/TargetPlan.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(TargetPlan, OneSourceWithoutTargetLiesBesideTheSource) {
  TargetPlan plan = PlanTargets({"/videos/urlaub.mpg"}, std::nullopt);
  ASSERT_EQ(plan.movies.size(), 1u);
  EXPECT_EQ(plan.movies[0].source, "/videos/urlaub.mpg");
  EXPECT_EQ(plan.movies[0].target, "/videos/urlaub.swf");
  EXPECT_FALSE(plan.folderToCreate);
  EXPECT_EQ(plan.error, "");
}

TEST(TargetPlan, OneSourceWithoutExtensionGainsSwf) {
  EXPECT_EQ(PlanTargets({"dir.v2/clip"}, std::nullopt).movies[0].target, "dir.v2/clip.swf");
}

TEST(TargetPlan, OneSourceWithTargetUsesItAsTheMovieFile) {
  TargetPlan plan = PlanTargets({"a.avi"}, std::string("out/film.swf"));
  EXPECT_EQ(plan.movies[0].target, "out/film.swf");
  EXPECT_FALSE(plan.folderToCreate);
}

TEST(TargetPlan, OneSourceIntoAnExistingFolderKeepsItsName) {
  std::filesystem::path folder = std::filesystem::temp_directory_path();
  TargetPlan plan = PlanTargets({"x/urlaub.vob"}, folder.string());
  EXPECT_EQ(plan.movies[0].target, (folder / "urlaub.swf").string());
  EXPECT_FALSE(plan.folderToCreate);
}

TEST(TargetPlan, SeveralSourcesGoIntoTheTargetFolderByName) {
  TargetPlan plan = PlanTargets({"x/a.avi", "y/b.mpg", "c.vob"}, std::string("movies"));
  ASSERT_EQ(plan.movies.size(), 3u);
  EXPECT_EQ(plan.movies[0].target, "movies/a.swf");
  EXPECT_EQ(plan.movies[1].target, "movies/b.swf");
  EXPECT_EQ(plan.movies[2].target, "movies/c.swf");
  EXPECT_EQ(plan.folderToCreate, "movies");
  EXPECT_EQ(plan.error, "");
}

TEST(TargetPlan, SeveralSourcesWithoutTargetEachLieBesideTheirSource) {
  TargetPlan plan = PlanTargets({"x/a.avi", "y/a.avi"}, std::nullopt);
  EXPECT_EQ(plan.movies[0].target, "x/a.swf");
  EXPECT_EQ(plan.movies[1].target, "y/a.swf");
  EXPECT_EQ(plan.error, "");
}

TEST(TargetPlan, SourcesThatWouldOverwriteEachOtherAreRefused) {
  TargetPlan plan = PlanTargets({"x/a.avi", "y/a.mpg"}, std::string("movies"));
  EXPECT_NE(plan.error.find("movies/a.swf"), std::string::npos) << plan.error;
  EXPECT_NE(PlanTargets({"a.avi", "./a.vob"}, std::nullopt).error, "");
}

TEST(TargetPlan, OneSourcesTargetGainsSwfOrBecomesAFolder) {
  struct Case {
    const char* target;
    const char* movie;
    bool folderToCreate;
  };
  const Case cases[] = {
      {"out/noext", "out/noext.swf", false},   {"out/film.swf", "out/film.swf", false},
      {"out/film.mov", "out/film.mov", false}, {"neu/", "neu/urlaub.swf", true},
      {"a/b/", "a/b/urlaub.swf", true},
  };
  for (const Case& c : cases) {
    TargetPlan plan = PlanTargets({"x/urlaub.vob"}, std::string(c.target));
    EXPECT_EQ(plan.movies[0].target, c.movie) << c.target;
    EXPECT_EQ(plan.folderToCreate.has_value(), c.folderToCreate) << c.target;
  }
}

}  // namespace
