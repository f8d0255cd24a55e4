#include "gltf_graph.h"

#include "input_limits.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace convert {

namespace {

// JSON nesting deeper than this is refused (the importer's parser recurses).
constexpr int MAX_JSON_NESTING = 256;

// The "nodes" of a glTF document: a list (2.0, children by index) or an object
// (1.0, children by name). Everything else is skipped.
struct NodeList {
    std::vector<std::vector<size_t>> children;
    std::vector<std::string> names;                  // 1.0 only
    std::vector<std::vector<std::string>> namedKids; // 1.0 only
};

class JsonScan {
  public:
    JsonScan(const char* begin, const char* end) : p_(begin), end_(end) {}
    bool tooDeep = false;

    bool document(NodeList& nodes) {
        return object([&](const std::string& key) { return key == "nodes" ? nodeList(nodes) : skip(1); });
    }

  private:
    const char* p_;
    const char* end_;

    void space() {
        while (p_ < end_ && std::strchr(" \t\r\n", *p_))
            ++p_;
    }
    bool take(char c) {
        space();
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool peek(char c) {
        space();
        return p_ < end_ && *p_ == c;
    }
    bool string(std::string* out) {
        if (!take('"'))
            return false;
        for (; p_ < end_ && *p_ != '"'; ++p_) {
            if (*p_ == '\\' && ++p_ == end_)
                return false;
            if (out)
                out->push_back(*p_);
        }
        return p_ < end_ && *p_++ == '"';
    }
    bool scalar() {
        const char* start = p_;
        while (p_ < end_ && (std::isalnum(static_cast<unsigned char>(*p_)) || std::strchr("+-.", *p_)))
            ++p_;
        return p_ > start;
    }
    template <typename Member> bool object(Member member) {
        if (!take('{'))
            return false;
        if (take('}'))
            return true;
        do {
            std::string key;
            if (!string(&key) || !take(':') || !member(key))
                return false;
        } while (take(','));
        return take('}');
    }
    template <typename Item> bool array(Item item) {
        if (!take('['))
            return false;
        if (take(']'))
            return true;
        do {
            if (!item())
                return false;
        } while (take(','));
        return take(']');
    }
    bool skip(int depth) {
        if (depth > MAX_JSON_NESTING) {
            tooDeep = true;
            return false;
        }
        if (peek('{'))
            return object([&](const std::string&) { return skip(depth + 1); });
        if (peek('['))
            return array([&] { return skip(depth + 1); });
        if (peek('"'))
            return string(nullptr);
        return scalar();
    }
    bool index(std::vector<size_t>& out) {
        space();
        const char* start = p_;
        if (!scalar())
            return false;
        out.push_back(static_cast<size_t>(std::strtoull(std::string(start, p_).c_str(), nullptr, 10)));
        return true;
    }
    bool node(NodeList& nodes) {
        nodes.children.emplace_back();
        nodes.namedKids.emplace_back();
        return object([&](const std::string& key) {
            if (key != "children")
                return skip(3);
            return array([&] {
                if (peek('"')) {
                    nodes.namedKids.back().emplace_back();
                    return string(&nodes.namedKids.back().back());
                }
                return index(nodes.children.back());
            });
        });
    }
    bool nodeList(NodeList& nodes) {
        if (peek('['))
            return array([&] { return node(nodes); });
        return object([&](const std::string& name) {
            nodes.names.push_back(name);
            return node(nodes);
        });
    }
};

// Children named (1.0) turned into indices; unknown names dropped.
void resolveNames(NodeList& nodes) {
    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < nodes.names.size(); ++i)
        byName.emplace(nodes.names[i], i);
    for (size_t i = 0; i < nodes.namedKids.size(); ++i) {
        for (const std::string& name : nodes.namedKids[i]) {
            auto found = byName.find(name);
            if (found != byName.end())
                nodes.children[i].push_back(found->second);
        }
    }
}

// Copies and levels below every node, counted without recursion; false on a loop.
bool measure(const NodeList& nodes, std::vector<size_t>& copies, std::vector<size_t>& levels) {
    size_t n = nodes.children.size();
    copies.assign(n, 0);
    levels.assign(n, 0);
    std::vector<uint8_t> state(n, 0); // 0 unseen, 1 on the path, 2 measured
    for (size_t root = 0; root < n; ++root) {
        std::vector<std::pair<size_t, size_t>> path; // node, next child
        if (state[root] == 0)
            path.push_back({root, 0}), state[root] = 1;
        while (!path.empty()) {
            auto& [node, next] = path.back();
            const std::vector<size_t>& kids = nodes.children[node];
            if (next < kids.size()) {
                size_t kid = kids[next++];
                if (kid >= n)
                    continue;
                if (state[kid] == 1)
                    return false;
                if (state[kid] == 0)
                    path.push_back({kid, 0}), state[kid] = 1;
                continue;
            }
            size_t total = 1, deepest = 0;
            for (size_t kid : kids) {
                if (kid < n) {
                    total = std::min(total + copies[kid], MAX_NODE_VISITS + 1);
                    deepest = std::max(deepest, levels[kid]);
                }
            }
            copies[node] = total;
            levels[node] = std::min(deepest + 1, MAX_NODE_DEPTH + 1);
            state[node] = 2;
            path.pop_back();
        }
    }
    return true;
}

// The JSON part of a glTF file; empty when the bytes are neither kind.
std::pair<const char*, const char*> jsonOf(const std::vector<uint8_t>& bytes) {
    const char* begin = reinterpret_cast<const char*>(bytes.data());
    if (bytes.size() >= 20 && std::memcmp(begin, "glTF", 4) == 0) {
        uint32_t length =
            bytes[12] | bytes[13] << 8 | bytes[14] << 16 | static_cast<uint32_t>(bytes[15]) << 24;
        return {begin + 20, begin + 20 + std::min<size_t>(length, bytes.size() - 20)};
    }
    size_t first = 0;
    while (first < bytes.size() && std::strchr(" \t\r\n", bytes[first]) && bytes[first] != 0)
        ++first;
    if (first < bytes.size() && bytes[first] == '{')
        return {begin + first, begin + bytes.size()};
    return {nullptr, nullptr};
}

} // namespace

bool checkGltfGraph(const std::vector<uint8_t>& bytes, std::string& error) {
    auto [begin, end] = jsonOf(bytes);
    if (!begin)
        return true;
    NodeList nodes;
    JsonScan scan(begin, end);
    if (!scan.document(nodes)) {
        if (scan.tooDeep)
            error = "its JSON is nested deeper than " + std::to_string(MAX_JSON_NESTING) + " levels";
        return !scan.tooDeep; // anything else the importer reports in its own words
    }
    resolveNames(nodes);
    std::vector<size_t> copies, levels;
    if (!measure(nodes, copies, levels)) {
        error = "its node hierarchy loops (a node is its own ancestor)";
        return false;
    }
    std::vector<bool> isChild(copies.size(), false);
    for (const auto& kids : nodes.children)
        for (size_t kid : kids)
            if (kid < isChild.size())
                isChild[kid] = true;
    size_t total = 0, deepest = 0;
    for (size_t i = 0; i < copies.size(); ++i) {
        if (!isChild[i])
            total = std::min(total + copies[i], MAX_NODE_VISITS + 1);
        deepest = std::max(deepest, levels[i]);
    }
    if (deepest > MAX_NODE_DEPTH) {
        error = "its node hierarchy is deeper than " + std::to_string(MAX_NODE_DEPTH) + " levels";
        return false;
    }
    if (total > MAX_NODE_VISITS) {
        error = "its node hierarchy makes more than " + std::to_string(MAX_NODE_VISITS) +
                " nodes (a node named as a child several times is copied each time)";
        return false;
    }
    return true;
}

} // namespace convert
