// A node's transform at any time of an animation, with the animation's own keys
// interpolated as the source library does (positions and scales linearly, rotations
// along the shortest arc), clamped to the first and last key.
#pragma once

#include <assimp/anim.h>
#include <assimp/matrix4x4.h>
#include <assimp/scene.h>

#include <map>
#include <string>

namespace convert {

class NodeSampler {
  public:
    // animation may be null: every node keeps its stored transform.
    NodeSampler(const aiScene& scene, const aiAnimation* animation);

    // The node's world transform at `seconds` into the animation.
    aiMatrix4x4 world(const aiNode* node, double seconds) const;
    // Whether the node or one of its ancestors is animated.
    bool moves(const aiNode* node) const;
    // The animation's end in seconds (0 without one).
    double lengthSeconds() const { return lengthSeconds_; }
    // The time of its earliest key (0 without one): exporters that count frames from
    // 1 start there, not at 0.
    double startSeconds() const { return startSeconds_; }
    // Ticks per second of the animation's clock.
    double ticksPerSecond() const { return ticksPerSecond_; }

  private:
    aiMatrix4x4 local(const aiNode* node, double ticks) const;

    std::map<std::string, const aiNodeAnim*> channels_;
    double ticksPerSecond_ = 25.0;
    double lengthSeconds_ = 0.0;
    double startSeconds_ = 0.0;
};

} // namespace convert
