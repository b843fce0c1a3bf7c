#include "media/decoder/RealDecoder.h"

#include "media/mcl/mcl.h"
#include "media/soundenc/MakeSoundEncoder.h"

const DecoderFunctions& RealDecoder() {
  static const DecoderFunctions table{
      MclGetFileInfo, MclReadOpen,  MclSndCreate,   MclImgCreate, MclReadImage,     MclReadPlan,
      MclImgToDIB,    MclGetDIBits, MclReleaseDIB,  MclReadSound, MclSndGetInfo,    MclSndFree,
      MclImgFree,     MclGetError,  MclGetErrorStr, MclReadClose, MakeSoundEncoder, MclSndSetFormat,
      MclGetFileInfoParts, MclReadOpenParts, MclReadToEnd,
  };
  return table;
}
