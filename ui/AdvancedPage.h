// The page "Erweitert": the settings the command line has beyond the
// described window (sound format, noise tolerance, page kind, picture size,
// part of the source). Every control writes its field at once.
#pragma once

#include <string>

#include <QWidget>

#include "convert/ConversionSettings.h"
#include "convert/RufflePage.h"

// The page written beside the movie.
struct PageChoice {
  PageKind kind = PageKind::Ruffle;
  std::string ruffleScript = kDefaultRuffleScript;  // as the page loads it
};

class AdvancedPage final : public QWidget {
 public:
  // settings and page must outlive the page.
  AdvancedPage(ConversionSettings& settings, PageChoice& page, QWidget* parent = nullptr);

 private:
  void AddSoundControls(class QFormLayout* form);
  void AddPictureControls(QFormLayout* form);
  void AddPartControls(QFormLayout* form);
  void AddPageControls(QFormLayout* form);

  ConversionSettings& settings_;
  PageChoice& page_;
};
