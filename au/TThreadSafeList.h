#pragma once

// A list that the render thread walks and that any thread may change
// without blocking it. Changes are queued on a lock-free stack of pending
// operations and applied by the render thread (update) at the start of a
// render; nodes are recycled through a lock-free free stack, so once the
// list has grown to its working size nothing is allocated.
//
// Threads: deferredAdd and deferredRemove from any thread; update, begin and
// end from the render thread only. Taking a node from the free stack is
// serialised among the changing threads (the render thread never takes
// one), which rules out the ABA case of a lock-free pop.

#include <atomic>
#include <mutex>

#include "platform/audiounit/AudioUnit.h"

template <class T> class TThreadSafeList {
    enum Operation { kAdd, kRemove };
    struct Node {
        Node* next;
        Operation operation;
        T value;
    };

  public:
    TThreadSafeList() = default;
    TThreadSafeList(const TThreadSafeList&) = delete;
    TThreadSafeList& operator=(const TThreadSafeList&) = delete;
    ~TThreadSafeList()
    {
        for (Node* stack : {activeList, head(pendingStack), head(freeStack)})
            while (stack) {
                Node* next = stack->next;
                delete stack;
                stack = next;
            }
    }

    void deferredAdd(const T& value) { push(pendingStack, takeNode(kAdd, value)); }
    void deferredRemove(const T& value) { push(pendingStack, takeNode(kRemove, value)); }

    // Applies the queued operations in the order they were made: an add of a
    // value already active, and a remove of one that is not, change nothing.
    void update()
    {
        Node* pending = head(pendingStack);
        while (!CompareAndSwap(address(pending), 0, &pendingStack)) pending = head(pendingStack);
        Node* ordered = nullptr;
        while (pending) {
            Node* next = pending->next;
            pending->next = ordered;
            ordered = pending;
            pending = next;
        }
        while (ordered) {
            Node* node = ordered;
            ordered = ordered->next;
            if (node->operation == kAdd)
                applyAdd(node);
            else
                applyRemove(node);
        }
    }

    class iterator {
      public:
        explicit iterator(Node* node) : node(node) {}
        const T& operator*() const { return node->value; }
        iterator& operator++()
        {
            node = node->next;
            return *this;
        }
        bool operator!=(const iterator& other) const { return node != other.node; }

      private:
        Node* node;
    };
    iterator begin() const { return iterator(activeList); }
    iterator end() const { return iterator(nullptr); }

  private:
    // The stack heads are words changed only by compare-and-swap and read
    // atomically; the active list belongs to the render thread.
    Node* activeList = nullptr;
    uintptr_t pendingStack = 0;
    uintptr_t freeStack = 0;
    std::mutex takeMutex;

    static uintptr_t address(Node* node) { return reinterpret_cast<uintptr_t>(node); }
    static Node* head(uintptr_t& stack)
    {
        return reinterpret_cast<Node*>(std::atomic_ref<uintptr_t>(stack).load(std::memory_order_acquire));
    }

    static void push(uintptr_t& stack, Node* node)
    {
        do node->next = head(stack);
        while (!CompareAndSwap(address(node->next), address(node), &stack));
    }

    Node* takeNode(Operation operation, const T& value)
    {
        Node* node = nullptr;
        {
            std::lock_guard<std::mutex> lock(takeMutex);
            do node = head(freeStack);
            while (node && !CompareAndSwap(address(node), address(node->next), &freeStack));
        }
        if (node == nullptr) node = new Node;
        node->operation = operation;
        node->value = value;
        return node;
    }

    void recycle(Node* node) { push(freeStack, node); }

    void applyAdd(Node* node)
    {
        Node** link = &activeList;
        for (; *link; link = &(*link)->next)
            if ((*link)->value == node->value) return recycle(node);
        node->next = nullptr;
        *link = node;
    }

    void applyRemove(Node* node)
    {
        for (Node** link = &activeList; *link; link = &(*link)->next) {
            if ((*link)->value == node->value) {
                Node* found = *link;
                *link = found->next;
                recycle(found);
                break;
            }
        }
        recycle(node);
    }
};
