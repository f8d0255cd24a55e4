#include "guarded_import.h"

#include "gltf_graph.h"
#include "input_limits.h"

#include <pthread.h>

#include <functional>
#include <utility>
#include <vector>

namespace convert {

namespace {

void* runTask(void* task) {
    (*static_cast<std::function<void()>*>(task))();
    return nullptr;
}

// Runs `task` on a thread of its own with a stack of IMPORT_STACK_BYTES, and waits.
void runOnLargeStack(std::function<void()> task) {
    pthread_attr_t attributes;
    pthread_t thread;
    bool started = pthread_attr_init(&attributes) == 0 &&
                   pthread_attr_setstacksize(&attributes, IMPORT_STACK_BYTES) == 0 &&
                   pthread_create(&thread, &attributes, runTask, &task) == 0;
    pthread_attr_destroy(&attributes);
    if (started)
        pthread_join(thread, nullptr);
    else
        task(); // no thread to be had: the caller's own stack
}

// Depth and size of the tree the importer built, counted without recursion.
bool checkNodeTree(const aiNode* root, std::string& error) {
    std::vector<std::pair<const aiNode*, size_t>> open{{root, 1}};
    size_t visits = 0;
    while (!open.empty()) {
        auto [node, level] = open.back();
        open.pop_back();
        if (++visits > MAX_NODE_VISITS || level > MAX_NODE_DEPTH) {
            error = visits > MAX_NODE_VISITS
                        ? "it holds more than " + std::to_string(MAX_NODE_VISITS) + " nodes"
                        : "its node hierarchy is deeper than " + std::to_string(MAX_NODE_DEPTH) + " levels";
            return false;
        }
        for (unsigned c = 0; c < node->mNumChildren; ++c) {
            if (node->mChildren[c])
                open.push_back({node->mChildren[c], level + 1});
        }
    }
    return true;
}

} // namespace

bool importGuarded(const ConvertOptions& options, const InputPolicy& policy, Source& source,
                   std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readInput(options.input, policy, MAX_MODEL_FILE_BYTES, bytes, error))
        return false;
    if (!checkGltfGraph(bytes, error))
        return false;
    bytes = {};
    auto* files = new GuardedIOSystem(policy);
    source.importer.SetIOHandler(files); // the importer owns it from here
    bool imported = false;
    runOnLargeStack([&] { imported = importSource(options, source, error); });
    if (!imported) {
        if (!files->refusal().empty())
            error = files->refusal();
        return false;
    }
    return checkNodeTree(source.scene->mRootNode, error);
}

} // namespace convert
