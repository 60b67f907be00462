// The framework's root object: a virtual destructor and the serialisation
// hook that archived classes override. Nothing here knows about run-time
// class names; no stored form of this system carries them.
#pragma once

class CArchive;

class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive&) {}
};
