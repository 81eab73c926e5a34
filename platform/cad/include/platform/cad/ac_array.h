// The host's growable arrays (AcArray) and the element types product code passes around.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/cad/ge_types.h"

template <typename T>
class AcArray {
public:
    AcArray() = default;
    explicit AcArray(int physicalLength) { items_.reserve(physicalLength > 0 ? physicalLength : 0); }

    int length() const { return static_cast<int>(items_.size()); }
    int logicalLength() const { return length(); }
    int physicalLength() const { return static_cast<int>(items_.capacity()); }
    bool isEmpty() const { return items_.empty(); }

    T& operator[](int i) { return items_[static_cast<std::size_t>(i)]; }
    const T& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    T& at(int i) { return items_.at(static_cast<std::size_t>(i)); }
    const T& at(int i) const { return items_.at(static_cast<std::size_t>(i)); }
    T& first() { return items_.front(); }
    const T& first() const { return items_.front(); }
    T& last() { return items_.back(); }
    const T& last() const { return items_.back(); }

    int append(const T& value)
    {
        items_.push_back(value);
        return length() - 1;
    }
    AcArray& append(const AcArray& other)
    {
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return *this;
    }
    AcArray& insertAt(int index, const T& value)
    {
        if (index >= 0 && index <= length())
            items_.insert(items_.begin() + index, value);
        return *this;
    }
    AcArray& setAt(int index, const T& value)
    {
        if (index >= 0 && index < length())
            items_[static_cast<std::size_t>(index)] = value;
        return *this;
    }
    AcArray& removeAt(int index)
    {
        if (index >= 0 && index < length())
            items_.erase(items_.begin() + index);
        return *this;
    }
    bool remove(const T& value)
    {
        auto it = std::find(items_.begin(), items_.end(), value);
        if (it == items_.end())
            return false;
        items_.erase(it);
        return true;
    }
    AcArray& removeFirst() { return removeAt(0); }
    AcArray& removeLast()
    {
        if (!items_.empty())
            items_.pop_back();
        return *this;
    }
    AcArray& removeAll()
    {
        items_.clear();
        return *this;
    }
    AcArray& setLogicalLength(int n)
    {
        items_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return *this;
    }
    AcArray& setPhysicalLength(int n)
    {
        if (n > 0)
            items_.reserve(static_cast<std::size_t>(n));
        return *this;
    }
    AcArray& reverse()
    {
        std::reverse(items_.begin(), items_.end());
        return *this;
    }
    bool contains(const T& value, int start = 0) const { return indexFrom(value, start) >= 0; }
    int find(const T& value) const { return indexFrom(value, 0); }
    bool find(const T& value, int& index, int start = 0) const
    {
        index = indexFrom(value, start);
        return index >= 0;
    }

    T* asArrayPtr() { return items_.data(); }
    const T* asArrayPtr() const { return items_.data(); }
#ifdef DERO_HOST_EXTRAS
    typename std::vector<T>::iterator begin() { return items_.begin(); }
    typename std::vector<T>::iterator end() { return items_.end(); }
    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }
#endif

private:
    int indexFrom(const T& value, int start) const
    {
        for (int i = std::max(start, 0); i < length(); ++i)
            if (items_[static_cast<std::size_t>(i)] == value)
                return i;
        return -1;
    }
    std::vector<T> items_;
};

using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGeVector3dArray = AcArray<AcGeVector3d>;
using AcGeDoubleArray = AcArray<double>;
using AcGeIntArray = AcArray<int>;
using AcDbIntArray = AcArray<int>;
using AcDbVoidPtrArray = AcArray<void*>;
