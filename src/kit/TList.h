// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The kit's singly linked, append-only list. The list frees its items but never the
// elements; DeleteAll destroys the elements and leaves the (now empty) items in place.
#include <cstdint>

template <typename T>
class CTListItem {
public:
    explicit CTListItem(T* pObject) : m_pObject(pObject), m_pNext(nullptr) {}
    virtual ~CTListItem() {}

    T* m_pObject;
    CTListItem<T>* m_pNext;
};

template <typename T>
class CTList {
public:
    CTList() : m_pHead(nullptr), m_nCount(0) {}
    CTList(const CTList&) = delete;
    CTList& operator=(const CTList&) = delete;

    virtual ~CTList()
    {
        CTListItem<T>* pItem = m_pHead;
        while (pItem) {
            CTListItem<T>* pNext = pItem->m_pNext;
            delete pItem;
            pItem = pNext;
        }
        m_pHead = nullptr;
        m_nCount = 0;
    }

    // Appends one element at the tail.
    void Append(T* pObject)
    {
        CTListItem<T>* pNew = new CTListItem<T>(pObject);
        if (!m_pHead) {
            m_pHead = pNew;
        } else {
            CTListItem<T>* pItem = m_pHead;
            while (pItem->m_pNext) pItem = pItem->m_pNext;
            pItem->m_pNext = pNew;
        }
        ++m_nCount;
    }

    // Destroys every element; the items stay, holding null.
    void DeleteAll()
    {
        for (CTListItem<T>* pItem = m_pHead; pItem; pItem = pItem->m_pNext) {
            delete pItem->m_pObject;
            pItem->m_pObject = nullptr;
        }
    }

    // Unlinks the item holding pObject and destroys the element. False when it is not listed.
    bool Remove(T* pObject)
    {
        CTListItem<T>** ppLink = &m_pHead;
        while (*ppLink) {
            CTListItem<T>* pItem = *ppLink;
            if (pItem->m_pObject == pObject) {
                *ppLink = pItem->m_pNext;
                delete pItem->m_pObject;
                delete pItem;
                --m_nCount;
                return true;
            }
            ppLink = &pItem->m_pNext;
        }
        return false;
    }

    // Walks from the head; stops at the last item or at the first item without an element.
    template <typename F>
    T* Find(F&& fnMatch) const
    {
        for (CTListItem<T>* pItem = m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
            if (fnMatch(pItem->m_pObject)) return pItem->m_pObject;
        return nullptr;
    }

    CTListItem<T>* m_pHead;
    uint32_t m_nCount;
};
