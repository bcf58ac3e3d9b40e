#include "connection_point.h"

#include <new>

#include "barrier.h"
#include "com_object.h"

namespace Corvane {

namespace {

// A snapshot enumerator over interface pointers or CONNECTDATA, as the two
// enumeration interfaces need. It holds its own references.
template <class Enum, class Item>
class SnapshotEnum final : public ComObject<SnapshotEnum<Enum, Item>, Enum> {
public:
    using Exposed = InterfaceList<Enum>;
    static constexpr bool kAggregatable = false;

    SnapshotEnum(IUnknown* outer, std::vector<Item> items, std::size_t position = 0)
        : ComObject<SnapshotEnum<Enum, Item>, Enum>(outer), items_(std::move(items)), position_(position) {
        for (Item& item : items_) AddRefItem(item);
    }
    ~SnapshotEnum() override {
        for (Item& item : items_) ReleaseItem(item);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && position_ < items_.size(); ++n, ++position_) {
            out[n] = items_[position_];
            AddRefItem(out[n]);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        std::size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** out) override {
        return ComBarrier([&] {
            return CreateComObject<SnapshotEnum>(nullptr, __uuidof(Enum), reinterpret_cast<void**>(out), items_,
                                                 position_);
        });
    }

private:
    static void AddRefItem(IConnectionPoint* p) { p->AddRef(); }
    static void ReleaseItem(IConnectionPoint* p) { p->Release(); }
    static void AddRefItem(CONNECTDATA& d) { d.pUnk->AddRef(); }
    static void ReleaseItem(CONNECTDATA& d) { d.pUnk->Release(); }

    std::vector<Item> items_;
    std::size_t position_;
};

}  // namespace

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        // Script hosts' sinks often answer only IDispatch; events are raised
        // through IDispatch::Invoke either way.
        ComPtr<IDispatch> dispatch;
        if (FAILED(sink->QueryInterface(iid_, dispatch.put_void())) &&
            FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
            return CONNECT_E_CANNOTCONNECT;
        for (std::size_t i = 0; i < sinks_.size(); ++i) {
            if (!sinks_[i]) {
                sinks_[i] = std::move(dispatch);
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        sinks_.push_back(std::move(dispatch));
        *cookie = static_cast<DWORD>(sinks_.size());
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
    // Release after the slot is cleared: the sink's release may call back in.
    ComPtr<IDispatch> gone = std::move(sinks_[cookie - 1]);
    sinks_[cookie - 1].Reset();
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComBarrier([&] {
        std::vector<CONNECTDATA> items;
        for (std::size_t i = 0; i < sinks_.size(); ++i)
            if (sinks_[i]) items.push_back({sinks_[i].get(), static_cast<DWORD>(i + 1)});
        return CreateComObject<SnapshotEnum<IEnumConnections, CONNECTDATA>>(
            nullptr, IID_IEnumConnections, reinterpret_cast<void**>(out), std::move(items));
    });
}

std::vector<ComPtr<IDispatch>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IDispatch>> live;
    for (const auto& s : sinks_)
        if (s) live.push_back(s);
    return live;
}

HRESULT EnumerateOnePoint(IConnectionPoint* point, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComBarrier([&] {
        std::vector<IConnectionPoint*> items{point};
        return CreateComObject<SnapshotEnum<IEnumConnectionPoints, IConnectionPoint*>>(
            nullptr, IID_IEnumConnectionPoints, reinterpret_cast<void**>(out), std::move(items));
    });
}

HRESULT FindOnePoint(ConnectionPoint& point, REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, point.EventIid())) return CONNECT_E_NOCONNECTION;
    *out = &point;
    point.AddRef();
    return S_OK;
}

}  // namespace Corvane
