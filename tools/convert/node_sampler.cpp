#include "node_sampler.h"

#include <assimp/quaternion.h>

namespace convert {

namespace {

// The index of the last key at or before `ticks` (0 when all come later).
template <typename Key> unsigned keyBefore(const Key* keys, unsigned count, double ticks) {
    unsigned lo = 0;
    unsigned hi = count;
    while (hi - lo > 1) {
        unsigned mid = (lo + hi) / 2;
        if (keys[mid].mTime <= ticks)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

template <typename Key> float weightAfter(const Key* keys, unsigned i, unsigned count, double ticks) {
    if (i + 1 >= count || ticks <= keys[i].mTime)
        return 0.0f;
    double span = keys[i + 1].mTime - keys[i].mTime;
    if (span <= 0)
        return 1.0f;
    double w = (ticks - keys[i].mTime) / span;
    return static_cast<float>(w > 1 ? 1 : w);
}

aiVector3D sampleVector(const aiVectorKey* keys, unsigned count, double ticks) {
    unsigned i = keyBefore(keys, count, ticks);
    float w = weightAfter(keys, i, count, ticks);
    if (w == 0.0f)
        return keys[i].mValue;
    return keys[i].mValue + (keys[i + 1].mValue - keys[i].mValue) * w;
}

aiQuaternion sampleRotation(const aiQuatKey* keys, unsigned count, double ticks) {
    unsigned i = keyBefore(keys, count, ticks);
    float w = weightAfter(keys, i, count, ticks);
    if (w == 0.0f)
        return keys[i].mValue;
    aiQuaternion out;
    aiQuaternion::Interpolate(out, keys[i].mValue, keys[i + 1].mValue, w);
    return out.Normalize();
}

} // namespace

NodeSampler::NodeSampler(const aiScene&, const aiAnimation* animation) {
    if (!animation)
        return;
    if (animation->mTicksPerSecond > 0)
        ticksPerSecond_ = animation->mTicksPerSecond;
    lengthSeconds_ = animation->mDuration > 0 ? animation->mDuration / ticksPerSecond_ : 0.0;
    double first = -1;
    for (unsigned i = 0; i < animation->mNumChannels; ++i) {
        const aiNodeAnim* channel = animation->mChannels[i];
        channels_[channel->mNodeName.C_Str()] = channel;
        // A track of one key is a still value (readers add them for what isn't keyed).
        for (double t : {channel->mNumPositionKeys > 1 ? channel->mPositionKeys[0].mTime : -1.0,
                         channel->mNumRotationKeys > 1 ? channel->mRotationKeys[0].mTime : -1.0,
                         channel->mNumScalingKeys > 1 ? channel->mScalingKeys[0].mTime : -1.0}) {
            if (t >= 0 && (first < 0 || t < first))
                first = t;
        }
    }
    if (first > 0 && first / ticksPerSecond_ < lengthSeconds_)
        startSeconds_ = first / ticksPerSecond_;
}

bool NodeSampler::moves(const aiNode* node) const {
    for (; node; node = node->mParent) {
        if (channels_.count(node->mName.C_Str()))
            return true;
    }
    return false;
}

aiMatrix4x4 NodeSampler::local(const aiNode* node, double ticks) const {
    auto found = channels_.find(node->mName.C_Str());
    if (found == channels_.end())
        return node->mTransformation;
    const aiNodeAnim& channel = *found->second;
    aiVector3D scaling(1, 1, 1), position;
    aiQuaternion rotation;
    node->mTransformation.Decompose(scaling, rotation, position);
    if (channel.mNumPositionKeys)
        position = sampleVector(channel.mPositionKeys, channel.mNumPositionKeys, ticks);
    if (channel.mNumRotationKeys)
        rotation = sampleRotation(channel.mRotationKeys, channel.mNumRotationKeys, ticks);
    if (channel.mNumScalingKeys)
        scaling = sampleVector(channel.mScalingKeys, channel.mNumScalingKeys, ticks);
    return aiMatrix4x4(scaling, rotation, position);
}

aiMatrix4x4 NodeSampler::world(const aiNode* node, double seconds) const {
    double ticks = seconds * ticksPerSecond_;
    aiMatrix4x4 result;
    for (; node; node = node->mParent)
        result = local(node, ticks) * result;
    return result;
}

} // namespace convert
