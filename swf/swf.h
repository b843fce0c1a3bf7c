#pragma once

// Everything a user of the SWF writer needs.
#include "swf/FControlTags.h"
#include "swf/FDTDefineBitsJPEG2.h"
#include "swf/FDTShapes.h"
#include "swf/FObj.h"
#include "swf/FObjCollection.h"
#include "swf/MovieFileWriter.h"
#include "swf/FRecords.h"
#include "swf/FSWFStream.h"
#include "swf/FSoundTags.h"
#include "swf/TagCodes.h"
