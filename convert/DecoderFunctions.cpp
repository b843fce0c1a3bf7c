#include "convert/DecoderFunctions.h"

const DecoderFunctions& RealDecoder() {
  static const DecoderFunctions table{
      MclGetFileInfo, MclReadOpen,    MclSndCreate, MclImgCreate,     MclReadImage, MclImgToDIB,
      MclGetDIBits,   MclReleaseDIB,  MclReadSound, MclSndGetInfo,    MclSndFree,   MclImgFree,
      MclGetError,    MclGetErrorStr, MclReadClose, MakeSoundEncoder,
  };
  return table;
}
