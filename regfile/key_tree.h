#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The key paths that the file deletes or keeps a section in, as a tree of
// their parts, each part as the registry compares it. A path is walked down
// once, part by part, so that whether a key lies below another costs the
// length of its path, however many parts it shares with the keys before it;
// copies of every prefix would cost its square.
class KeyTree {
public:
    using Node = std::uint32_t;

    // The nodes of a path's parts, made where missing, below the tree's
    // root: the root first, then the node of part d at index d + 1.
    std::vector<Node> walk(std::span<const std::u16string_view> partKeys)
    {
        std::vector<Node> nodes;
        nodes.reserve(partKeys.size() + 1);
        nodes.push_back(Root);
        for (const std::u16string_view part : partKeys) {
            const auto found = children_.find(Child{nodes.back(), part});
            if (found != children_.end()) {
                nodes.push_back(found->second);
                continue;
            }
            const auto node = static_cast<Node>(deleted_.size());
            const std::u16string& name = names_.emplace_back(part);
            children_.emplace(Child{nodes.back(), name}, node);
            deleted_.push_back(false);
            nodes.push_back(node);
        }
        return nodes;
    }

    void markDeleted(Node node) { deleted_[node] = true; }

    // Whether a key on this walk, the walk's own key included, is deleted.
    bool deletedOn(std::span<const Node> nodes) const
    {
        return std::any_of(nodes.begin(), nodes.end(), [&](Node n) { return deleted_[n]; });
    }

private:
    static constexpr Node Root = 0;

    struct Child {
        Node parent;
        std::u16string_view name; // held by names_
        bool operator==(const Child&) const = default;
    };
    struct ChildHash {
        std::size_t operator()(const Child& child) const
        {
            return std::hash<std::u16string_view>{}(child.name) ^
                   std::hash<Node>{}(child.parent) * 0x9E3779B97F4A7C15u;
        }
    };

    std::unordered_map<Child, Node, ChildHash> children_;
    std::deque<std::u16string> names_;    // which a new one leaves where they are
    std::vector<bool> deleted_ = {false}; // by node, the root's first
};
