#include "app/frame_player.h"

#include "app/timeline.h"

#include <algorithm>
#include <cmath>

bool FramePlayer::drawAt(double position) {
    // The frame lies between pass ceil(position) - 1 and pass ceil(position).
    double needed = std::ceil(position);
    while (played_ <= needed) {
        if (timeline_.advance())
            return false;
        ++played_;
    }
    double t = position - (played_ - 2);
    timeline_.draw(static_cast<float>(std::min(1.0, std::max(0.0, t))));
    return true;
}
