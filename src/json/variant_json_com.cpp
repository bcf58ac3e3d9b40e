// Host values to JSON text, and the portable scalar to a VARIANT.
#include "variant_convert.h"

#include <oleauto.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "bstr.h"
#include "com_ptr.h"
#include "json_number.h"
#include "variant.h"

namespace Corvane {

namespace {

constexpr const char16_t kNestingMessage[] = u"VariantToJson: nesting exceeds 256 levels.";
constexpr const char16_t kCycleMessage[] = u"VariantToJson: value contains itself.";

// Past this the text could not become a BSTR anyway; it also bounds the work a
// host graph that shares sub-objects many times over can cause.
constexpr std::size_t kMaxJsonLength = 0x3FFFFFFF;

struct ConvertError {
    const char16_t* message;
};

template <class T>
T Load(const void* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <class T>
void AppendInteger(std::u16string& out, T value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void AppendPadded(std::u16string& out, unsigned value, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, buf + width);
}

// printf "%.7g" of the float widened to double, as a variadic call would.
void AppendFloat7(std::u16string& out, float value) {
    if (!std::isfinite(value)) {
        out.append(u"null");
        return;
    }
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::general, 7);
    out.append(buf, res.ptr);
}

// Four decimals taken from the scaled integer itself: going through a double
// would change the last digits of amounts above about 10^11.
void AppendCurrency(std::u16string& out, std::int64_t scaled) {
    std::uint64_t magnitude = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    if (scaled < 0) out.push_back(u'-');
    AppendInteger(out, magnitude / 10000);
    out.push_back(u'.');
    AppendPadded(out, static_cast<unsigned>(magnitude % 10000), 4);
}

void AppendDate(std::u16string& out, DATE date) {
    SYSTEMTIME st{};
    if (date == 0.0 || !VariantTimeToSystemTime(date, &st)) {
        out.append(u"null");
        return;
    }
    out.push_back(u'"');
    AppendPadded(out, st.wYear, 4);
    out.push_back(u'-');
    AppendPadded(out, st.wMonth, 2);
    out.push_back(u'-');
    AppendPadded(out, st.wDay, 2);
    out.push_back(u'T');
    AppendPadded(out, st.wHour, 2);
    out.push_back(u':');
    AppendPadded(out, st.wMinute, 2);
    out.push_back(u':');
    AppendPadded(out, st.wSecond, 2);
    out.push_back(u'.');
    AppendPadded(out, st.wMilliseconds, 3);
    out.push_back(u'"');
}

void AppendQuoted(std::u16string& out, std::u16string_view text) {
    out.push_back(u'"');
    AppendEscaped(out, text);
    out.push_back(u'"');
}

// Bytes one element of this type occupies in a SAFEARRAY; 0 for types not converted.
ULONG ElementSize(VARTYPE vt) {
    switch (vt) {
        case VT_I1: case VT_UI1: return 1;
        case VT_I2: case VT_UI2: case VT_BOOL: return 2;
        case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
        case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
        case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
        case VT_DECIMAL: return sizeof(DECIMAL);
        case VT_VARIANT: return sizeof(VARIANT);
        default: return 0;
    }
}

bool IsPointerType(VARTYPE vt) {
    return vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_VARIANT;
}

// Keeps an array locked while its elements are read through raw pointers.
class ArrayLock {
public:
    explicit ArrayLock(SAFEARRAY* a) : a_(SUCCEEDED(SafeArrayLock(a)) ? a : nullptr) {}
    ArrayLock(const ArrayLock&) = delete;
    ArrayLock& operator=(const ArrayLock&) = delete;
    ~ArrayLock() { if (a_) SafeArrayUnlock(a_); }
    bool Locked() const { return a_ != nullptr; }

private:
    SAFEARRAY* a_;
};

// Which elements of an array can be read as `vt`: the declared type must fit
// the array's real element size, and pointers are only followed when the
// array itself says it holds them.
bool ElementsReadable(SAFEARRAY* a, VARTYPE vt) {
    const ULONG size = ElementSize(vt);
    if (size == 0 || a->cbElements != size || !a->pvData) return false;
    VARTYPE actual = VT_EMPTY;
    if (SUCCEEDED(SafeArrayGetVartype(a, &actual))) return actual == vt;
    return !IsPointerType(vt);
}

HRESULT CallByName(IDispatch* target, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount, VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{args, nullptr, argCount, 0};
    EXCEPINFO info{};
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

// The SAFEARRAY a VARIANT holds or refers to (null when there is none).
SAFEARRAY* ArrayOf(const VARIANT& v) {
    if (!(v.vt & VT_ARRAY)) return nullptr;
    if (v.vt & VT_BYREF) return v.pparray ? *v.pparray : nullptr;
    return v.parray;
}

class JsonWriter {
public:
    explicit JsonWriter(std::u16string& out) : out_(out) {}

    void Value(const VARIANT& v, int depth) {
        if (depth > kVariantMaxDepth) throw ConvertError{kNestingMessage};
        if (out_.size() > kMaxJsonLength) throw std::bad_alloc();
        const VARTYPE vt = v.vt;
        if (vt & VT_ARRAY) {
            Array(ArrayOf(v), static_cast<VARTYPE>(vt & VT_TYPEMASK), depth);
            return;
        }
        if (vt & ~(VT_BYREF | VT_TYPEMASK)) {   // VT_VECTOR and the reserved flags
            out_.append(u"null");
            return;
        }
        const VARTYPE base = vt & VT_TYPEMASK;
        if (vt & VT_BYREF) {
            if (!v.byref || base == VT_UNKNOWN) out_.append(u"null");
            else if (base == VT_VARIANT) Value(*v.pvarVal, depth + 1);
            else Typed(base, v.byref, depth);
            return;
        }
        if (base == VT_VARIANT) out_.append(u"null");   // only meaningful by reference
        else if (base == VT_DECIMAL) Typed(base, &v.decVal, depth);
        else Typed(base, &v.llVal, depth);
    }

    void Recordset(IDispatch* recordset);

private:
    // The value of type `vt` stored at `p` (a VARIANT's payload, a reference or an array element).
    void Typed(VARTYPE vt, const void* p, int depth) {
        switch (vt) {
            case VT_I1: AppendInt32(out_, Load<signed char>(p)); return;
            case VT_I2: AppendInt32(out_, Load<SHORT>(p)); return;
            case VT_I4: case VT_INT: AppendInt32(out_, Load<LONG>(p)); return;
            case VT_UI1: AppendInteger(out_, static_cast<unsigned>(Load<BYTE>(p))); return;
            case VT_UI2: AppendInteger(out_, static_cast<unsigned>(Load<USHORT>(p))); return;
            case VT_UI4: case VT_UINT: AppendInteger(out_, Load<ULONG>(p)); return;
            case VT_I8: AppendInteger(out_, Load<LONGLONG>(p)); return;
            case VT_UI8: AppendInteger(out_, Load<ULONGLONG>(p)); return;
            case VT_R4: AppendFloat7(out_, Load<FLOAT>(p)); return;
            case VT_R8: AppendDouble17(out_, Load<DOUBLE>(p)); return;
            case VT_CY: AppendCurrency(out_, Load<CY>(p).int64); return;
            case VT_DATE: AppendDate(out_, Load<DATE>(p)); return;
            case VT_BOOL: out_.append(Load<VARIANT_BOOL>(p) == VARIANT_TRUE ? u"true" : u"false"); return;
            case VT_DECIMAL: {
                DECIMAL dec = Load<DECIMAL>(p);
                double d = 0;
                if (FAILED(VarR8FromDec(&dec, &d))) out_.push_back(u'0');
                else AppendDouble17(out_, d);
                return;
            }
            case VT_BSTR: {
                BSTR s = Load<BSTR>(p);
                if (!s) out_.append(u"null");
                else AppendQuoted(out_, BstrView(s));
                return;
            }
            case VT_DISPATCH: {
                IDispatch* d = Load<IDispatch*>(p);
                if (!d) out_.append(u"null");
                else if (!Dictionary(d, depth)) out_.append(u"\"[Object]\"");
                return;
            }
            case VT_UNKNOWN:
                out_.append(Load<IUnknown*>(p) ? u"\"[IUnknown]\"" : u"null");
                return;
            case VT_VARIANT: Value(*static_cast<const VARIANT*>(p), depth + 1); return;
            default: out_.append(u"null"); return;
        }
    }

    // Element `index` (dimension 1 first) of a locked array, or null when it cannot be read.
    void Element(SAFEARRAY* a, bool readable, VARTYPE vt, LONG* index, int depth) {
        void* p = nullptr;
        if (readable && SUCCEEDED(SafeArrayPtrOfIndex(a, index, &p)) && p) {
            if (vt == VT_VARIANT) Value(*static_cast<const VARIANT*>(p), depth + 1);
            else Typed(vt, p, depth + 1);
        } else {
            out_.append(u"null");
        }
    }

    void Array(SAFEARRAY* a, VARTYPE vt, int depth) {
        if (!a) {
            out_.append(u"null");
            return;
        }
        const UINT dims = SafeArrayGetDim(a);
        LONG lower[2] = {0, 0}, upper[2] = {-1, -1};
        bool empty = dims == 0 || dims > 2;
        for (UINT d = 0; d < dims && !empty; ++d) {
            if (FAILED(SafeArrayGetLBound(a, d + 1, &lower[d])) || FAILED(SafeArrayGetUBound(a, d + 1, &upper[d])) ||
                upper[d] < lower[d])
                empty = true;
        }
        if (empty) {
            out_.append(u"[]");
            return;
        }
        if (IsOpen(a)) throw ConvertError{kCycleMessage};
        Open guard(open_, a);
        ArrayLock lock(a);
        const bool readable = lock.Locked() && ElementsReadable(a, vt);
        out_.push_back(u'[');
        if (dims == 1) {
            for (LONG i = lower[0];; ++i) {
                if (i != lower[0]) out_.push_back(u',');
                Element(a, readable, vt, &i, depth);
                if (i == upper[0]) break;
            }
        } else {
            for (LONG r = lower[0];; ++r) {
                if (r != lower[0]) out_.push_back(u',');
                out_.push_back(u'[');
                for (LONG c = lower[1];; ++c) {
                    if (c != lower[1]) out_.push_back(u',');
                    LONG index[2] = {r, c};
                    Element(a, readable, vt, index, depth + 1);
                    if (c == upper[1]) break;
                }
                out_.push_back(u']');
                if (r == upper[0]) break;
            }
        }
        out_.push_back(u']');
    }

    // Writes the object as a JSON object when it answers Keys and Items with arrays.
    bool Dictionary(IDispatch* d, int depth) {
        ComPtr<IUnknown> identity;
        if (FAILED(d->QueryInterface(IID_IUnknown, identity.put_void())) || !identity) return false;
        if (IsOpen(identity.get())) throw ConvertError{kCycleMessage};
        UniqueVariant keys, items;
        if (FAILED(CallByName(d, L"Keys", DISPATCH_METHOD, nullptr, 0, keys.get())) ||
            FAILED(CallByName(d, L"Items", DISPATCH_METHOD, nullptr, 0, items.get())))
            return false;
        SAFEARRAY* keyArray = ArrayOf(*keys.get());
        SAFEARRAY* itemArray = ArrayOf(*items.get());
        if (!keyArray || !itemArray) return false;

        Open guard(open_, identity.get());
        const VARTYPE keyType = keys.get()->vt & VT_TYPEMASK;
        const VARTYPE itemType = items.get()->vt & VT_TYPEMASK;
        ArrayLock keyLock(keyArray), itemLock(itemArray);
        const bool keysReadable = keyLock.Locked() && SafeArrayGetDim(keyArray) == 1 && ElementsReadable(keyArray, keyType);
        const bool itemsReadable = itemLock.Locked() && SafeArrayGetDim(itemArray) == 1 && ElementsReadable(itemArray, itemType);
        LONG lower = 0, upper = -1;
        if (SafeArrayGetDim(keyArray) != 1 || FAILED(SafeArrayGetLBound(keyArray, 1, &lower)) ||
            FAILED(SafeArrayGetUBound(keyArray, 1, &upper)))
            upper = lower - 1;
        out_.push_back(u'{');
        for (LONG i = lower; i <= upper; ++i) {
            if (i != lower) out_.push_back(u',');
            AppendQuoted(out_, KeyText(keyArray, keysReadable, keyType, i));
            out_.push_back(u':');
            Element(itemArray, itemsReadable, itemType, &i, depth);
            if (i == upper) break;
        }
        out_.push_back(u'}');
        return true;
    }

    // A string key as it is; any other key as the host converts it to text; else "key" + index.
    static std::u16string KeyText(SAFEARRAY* keys, bool readable, VARTYPE vt, LONG index) {
        void* p = nullptr;
        if (readable && SUCCEEDED(SafeArrayPtrOfIndex(keys, &index, &p)) && p) {
            VARIANT view;   // borrows the element: never cleared
            VariantInit(&view);
            if (vt == VT_VARIANT) {
                view = *static_cast<const VARIANT*>(p);
            } else if (vt == VT_DECIMAL) {
                view.decVal = Load<DECIMAL>(p);
                view.vt = VT_DECIMAL;
            } else {
                std::memcpy(&view.llVal, p, ElementSize(vt));
                view.vt = vt;
            }
            if (view.vt == VT_BSTR && view.bstrVal) return std::u16string(BstrView(view.bstrVal));
            UniqueVariant text;
            if (SUCCEEDED(VariantChangeType(text.get(), &view, 0, VT_BSTR)) && text.get()->vt == VT_BSTR)
                return std::u16string(BstrView(text.get()->bstrVal));
        }
        std::u16string key = u"key";
        AppendInt32(key, index);
        return key;
    }

    // Marks a container as being written for as long as it is in scope.
    class Open {
    public:
        Open(std::vector<const void*>& open, const void* item) : open_(open) { open_.push_back(item); }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;
        ~Open() { open_.pop_back(); }

    private:
        std::vector<const void*>& open_;
    };

    bool IsOpen(const void* item) const {
        for (const void* o : open_)
            if (o == item) return true;
        return false;
    }

    std::u16string& out_;
    // Objects and arrays enclosing the value being written: meeting one of
    // them again means the value contains itself.
    std::vector<const void*> open_;
};

// Reads a property; false when the call fails.
bool GetProperty(IDispatch* target, const wchar_t* name, VARIANT* result) {
    return SUCCEEDED(CallByName(target, name, DISPATCH_PROPERTYGET, nullptr, 0, result));
}

IDispatch* DispatchOf(const VARIANT& v) {
    if (v.vt == VT_DISPATCH) return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH)) return v.ppdispVal ? *v.ppdispVal : nullptr;
    return nullptr;
}

void JsonWriter::Recordset(IDispatch* recordset) {
    out_.push_back(u'[');
    {
        UniqueVariant ignored, eof;
        if (FAILED(CallByName(recordset, L"MoveFirst", DISPATCH_METHOD, nullptr, 0, ignored.get())) &&
            GetProperty(recordset, L"EOF", eof.get()) && eof.get()->vt == VT_BOOL && eof.get()->boolVal == VARIANT_TRUE) {
            out_.push_back(u']');
            return;
        }
    }
    for (std::int32_t row = 0; row < kRecordsetMaxRows; ++row) {
        UniqueVariant eof, fields, count;
        if (!GetProperty(recordset, L"EOF", eof.get()) || eof.get()->vt != VT_BOOL || eof.get()->boolVal == VARIANT_TRUE)
            break;
        if (!GetProperty(recordset, L"Fields", fields.get())) break;
        IDispatch* fieldList = DispatchOf(*fields.get());
        if (!fieldList || !GetProperty(fieldList, L"Count", count.get()) ||
            FAILED(VariantChangeType(count.get(), count.get(), 0, VT_I4)))
            break;
        if (row != 0) out_.push_back(u',');
        out_.push_back(u'{');
        bool first = true;
        for (LONG i = 0; i < count.get()->lVal; ++i) {
            if (out_.size() > kMaxJsonLength) throw std::bad_alloc();
            VARIANT arg;
            VariantInit(&arg);
            arg.vt = VT_I4;
            arg.lVal = i;
            DISPPARAMS params{&arg, nullptr, 1, 0};
            UniqueVariant field, name, value;
            EXCEPINFO info{};
            HRESULT hr = fieldList->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, field.get(), &info, nullptr);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
            IDispatch* f = SUCCEEDED(hr) ? DispatchOf(*field.get()) : nullptr;
            if (!f || !GetProperty(f, L"Name", name.get()) || !GetProperty(f, L"Value", value.get())) continue;
            if (!first) out_.push_back(u',');
            first = false;
            if (name.get()->vt == VT_BSTR && name.get()->bstrVal) {
                AppendQuoted(out_, BstrView(name.get()->bstrVal));
            } else {
                std::u16string fallback = u"Field";
                AppendInt32(fallback, i);
                AppendQuoted(out_, fallback);
            }
            out_.push_back(u':');
            Value(*value.get(), 1);
        }
        out_.push_back(u'}');
        UniqueVariant ignored;
        if (FAILED(CallByName(recordset, L"MoveNext", DISPATCH_METHOD, nullptr, 0, ignored.get()))) break;
    }
    out_.push_back(u']');
}

// Runs a conversion that appends to `out`, restoring it on failure.
template <class F>
HRESULT Converting(std::u16string& out, std::u16string& message, F&& body) {
    const std::size_t mark = out.size();
    HRESULT hr = S_OK;
    try {
        body();
        if (out.size() > kMaxJsonLength) throw std::bad_alloc();
        return S_OK;
    } catch (const ConvertError& e) {
        message = e.message;
        hr = E_FAIL;
    } catch (const std::bad_alloc&) {
        message.clear();
        hr = E_OUTOFMEMORY;
    } catch (...) {
        message.clear();
        hr = E_UNEXPECTED;
    }
    out.resize(mark);
    return hr;
}

}  // namespace

HRESULT ScalarToVariant(const JsonScalar& scalar, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    switch (scalar.kind) {
        case JsonScalar::Kind::Empty: return S_OK;
        case JsonScalar::Kind::Null: out->vt = VT_NULL; return S_OK;
        case JsonScalar::Kind::Bool:
            out->vt = VT_BOOL;
            out->boolVal = scalar.boolean ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case JsonScalar::Kind::Int: out->vt = VT_I4; out->lVal = scalar.integer; return S_OK;
        case JsonScalar::Kind::Double: out->vt = VT_R8; out->dblVal = scalar.number; return S_OK;
        case JsonScalar::Kind::String:
        case JsonScalar::Kind::Raw: {
            BSTR s = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(scalar.text.data()),
                                       static_cast<UINT>(scalar.text.size()));
            if (!s) return E_OUTOFMEMORY;
            out->vt = VT_BSTR;
            out->bstrVal = s;
            return S_OK;
        }
    }
    return S_OK;
}

HRESULT NodeToVariant(const JsonNode& node, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    try {
        return ScalarToVariant(NodeToScalar(node), out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TextValueToVariant(const char16_t* begin, const char16_t* end, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    try {
        return ScalarToVariant(TextValueToScalar(begin, end), out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT VariantToJson(const VARIANT& value, std::u16string& out, std::u16string& message) {
    return Converting(out, message, [&] { JsonWriter(out).Value(value, 0); });
}

HRESULT VariantToJsonBstr(const VARIANT& value, BSTR* out, std::u16string& message) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::u16string json;
    HRESULT hr = VariantToJson(value, json, message);
    if (FAILED(hr)) return hr;
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(json.data()), static_cast<UINT>(json.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT RecordsetToJson(IDispatch* recordset, std::u16string& out, std::u16string& message) {
    if (!recordset) {
        message = u"RecordsetToJson: recordset is null.";
        return E_INVALIDARG;
    }
    ComPtr<IDispatch> hold(recordset);   // the host may drop its last reference from inside a call
    return Converting(out, message, [&] { JsonWriter(out).Recordset(recordset); });
}

}  // namespace Corvane
