// Connection points for one event dispinterface. Sinks sit in a growable
// list whose freed slots stay empty, so a cookie (slot + 1) never names
// another sink while its owner may still use it.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "com_ptr.h"

namespace Corvane {

class ConnectionPoint final : public IConnectionPoint {
public:
    // `container` is the object that exposes the point; its controlling
    // unknown owns this point's lifetime.
    ConnectionPoint(IConnectionPointContainer* container, const IID& eventIid)
        : container_(container), iid_(eventIid) {}

    // IUnknown: references count on the container, which owns the point.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return container_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_->Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    const IID& EventIid() const { return iid_; }
    // The connected sinks, in slot order, for one broadcast: a copy, so sinks
    // may advise or unadvise while an event is being delivered.
    std::vector<ComPtr<IDispatch>> Sinks() const;
    std::size_t SlotCount() const { return sinks_.size(); }

private:
    IConnectionPointContainer* container_;
    IID iid_;
    std::vector<ComPtr<IDispatch>> sinks_;
};

HRESULT EnumerateOnePoint(IConnectionPoint* point, IEnumConnectionPoints** out);
HRESULT FindOnePoint(ConnectionPoint& point, REFIID iid, IConnectionPoint** out);

// IConnectionPointContainer with exactly one point, for events of *EventIid.
template <const IID* EventIid>
class SingleConnectionPointContainer : public IConnectionPointContainer {
public:
    SingleConnectionPointContainer() : point_(this, *EventIid) {}

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        return EnumerateOnePoint(&point_, out);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        return FindOnePoint(point_, iid, out);
    }

    ConnectionPoint& Point() { return point_; }

private:
    ConnectionPoint point_;
};

}  // namespace Corvane
