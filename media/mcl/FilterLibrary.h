// libavfilter, loaded when the first interlaced picture needs it: linked
// from the start, the hundred libraries it pulls in cost every run about a
// third of its start-up, and most sources are progressive.
#pragma once

#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace mcl {

struct FilterLibrary {
  decltype(&avfilter_get_by_name) getByName;
  decltype(&avfilter_graph_alloc) graphAlloc;
  decltype(&avfilter_graph_free) graphFree;
  decltype(&avfilter_graph_set_auto_convert) setAutoConvert;
  decltype(&avfilter_graph_create_filter) createFilter;
  decltype(&avfilter_graph_alloc_filter) allocFilter;
  decltype(&avfilter_init_str) initFilter;
  decltype(&avfilter_link) link;
  decltype(&avfilter_graph_config) configure;
  decltype(&av_buffersrc_add_frame) addFrame;
  decltype(&av_buffersink_get_frame) getFrame;
  decltype(&av_buffersink_get_time_base) sinkTimeBase;
};

// The library's functions, loaded on the first call; null where it or one of
// them is missing (the pictures then stay as they are).
const FilterLibrary* LoadFilterLibrary();

}  // namespace mcl
