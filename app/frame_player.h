// Plays a timeline a frame at a time. The host places each frame in the script, in
// passes since the first pass (pass k's frame is at k, a frame 20 ms later at k + 1);
// the player advances the script to that moment and draws the frame there. A frame
// at a whole number is the pass's own frame, pixel for pixel.
#pragma once

#include <cstdint>

struct Timeline;

class FramePlayer {
  public:
    explicit FramePlayer(Timeline& timeline) : timeline_(timeline) {}

    // Advances the script to `position` and draws the frame there (a position before
    // the latest pass's predecessor draws that one). False when the script ends
    // first: nothing is drawn then.
    bool drawAt(double position);
    // Passes played so far; the latest one is number passesPlayed() - 1.
    int32_t passesPlayed() const { return played_; }
    // After Timeline::restartPart: the passes are counted from 0 again.
    void restart() { played_ = 0; }

  private:
    Timeline& timeline_;
    int32_t played_ = 0;
};
