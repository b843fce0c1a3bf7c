#include "convert/PictureTags.h"

#include "convert/Twips.h"

namespace {

constexpr std::int32_t kScaleTwenty = 0x140000;  // 20.0 in 16.16: one bitmap pixel, 20 twips
constexpr std::uint16_t kNoBitmap = 0xFFFF;      // the unused first fill's bitmap id
constexpr std::uint32_t kClipped = 0;            // bitmap fills are not tiled
constexpr std::uint32_t kBitmapFill = 2;         // index of the fill that shows the JPEG

std::unique_ptr<FMatrix> BitmapMatrix(std::int32_t translateX, std::int32_t translateY) {
  return std::make_unique<FMatrix>(/*hasScale=*/1, kScaleTwenty, kScaleTwenty, /*hasRotate=*/0, 0, 0, translateX,
                                   translateY);
}

// The shape's bounds are twice the source size, as the movie has always had them.
std::unique_ptr<FDTDefineShape> MakeRegionShape(std::uint16_t bitmapID, const PicturePlace& at, int sourceWidth,
                                                int sourceHeight) {
  auto shape =
      std::make_unique<FDTDefineShape>(std::make_unique<FRect>(0, 0, Twips(2 * sourceWidth), Twips(2 * sourceHeight)));
  shape->AddFillStyle(std::make_unique<FFillStyleBitmap>(kClipped, kNoBitmap, BitmapMatrix(0, 0)));
  shape->AddFillStyle(
      std::make_unique<FFillStyleBitmap>(kClipped, bitmapID, BitmapMatrix(Twips(at.left), Twips(at.top))));
  shape->FinishStyleArrays();
  shape->AddShapeRec(std::make_unique<FShapeRecChange>(/*stateNewStyles=*/0, /*stateLineStyle=*/0,
                                                       /*stateFillStyle1=*/1, /*stateFillStyle0=*/0,
                                                       /*stateMoveTo=*/1, Twips(at.left), Twips(at.top),
                                                       /*fillStyle0=*/0, kBitmapFill, /*lineStyle=*/0, nullptr,
                                                       nullptr));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(Twips(at.width), 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, Twips(at.height)));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(-Twips(at.width), 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, -Twips(at.height)));
  shape->AddShapeRec(std::make_unique<FShapeRecEnd>());
  return shape;
}

std::unique_ptr<FCTPlaceObject2> MakePlacement(std::int32_t depth, std::uint16_t shapeID) {
  return std::make_unique<FCTPlaceObject2>(
      /*hasClipDepth=*/0, /*hasRatio=*/0, /*hasCharacter=*/1, /*move=*/0, static_cast<std::uint16_t>(depth), shapeID,
      std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0), nullptr, /*ratio=*/0, nullptr, /*clipDepth=*/0);
}

}  // namespace

void AddPictureTags(MovieBuilder& movie, DisplayDepths& depths, const JpegBytes& bytes, const PicturePlace& at,
                    OldPictures old, int sourceWidth, int sourceHeight) {
  auto bitmap = std::make_unique<FDTDefineBitsJPEG2>(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  const std::uint16_t bitmapID = bitmap->GetCharacterID();
  movie.Add(*bitmap);  // written now, while the bytes are here
  auto shape = MakeRegionShape(bitmapID, at, sourceWidth, sourceHeight);
  const std::uint16_t shapeID = shape->GetCharacterID();
  movie.Add(std::move(shape));
  depths.charactersMade += 2;
  if (old == OldPictures::Remove) {
    for (std::int32_t depth = depths.firstDepth; depth <= depths.placeDepth; ++depth)
      movie.Add(std::make_unique<FCTRemoveObject2>(static_cast<std::uint16_t>(depth)));
    depths.firstDepth = depths.placeDepth + 1;
  }
  depths.placeDepth += 1;
  movie.Add(MakePlacement(depths.placeDepth, shapeID));
}
