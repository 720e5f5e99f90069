// The one symbol a road's module exports; TINTWELL_ROAD names the road it is built for.
#include "cli/image_road.h"

extern "C" __attribute__((visibility("default"))) const tintwell::cli::TImageRoad* tintwell_image_road() {
    return &tintwell::cli::TINTWELL_ROAD();
}
