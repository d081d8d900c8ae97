#pragma once

#include <QString>

#include <concepts>
#include <memory>
#include <sstream>
#include <type_traits>
#include <typeinfo>

namespace kit {

// A type-erased value that can be compared with another: identities (.id) and the values an
// implicit animation watches. Two values of different types are never equal.
class AnyValue {
public:
    AnyValue() = default;

    template <typename T>
    static AnyValue of(T value)
    {
        static_assert(std::equality_comparable<T>, "identities and watched values must be comparable");
        AnyValue out;
        out.ptr_ = std::make_shared<const T>(std::move(value));
        out.type_ = &typeid(T);
        out.equal_ = [](const void *a, const void *b) { return *static_cast<const T *>(a) == *static_cast<const T *>(b); };
        out.describe_ = [](const void *a) -> QString {
            const T &v = *static_cast<const T *>(a);
            if constexpr (std::is_arithmetic_v<T>)
                return QString::number(double(v));
            else if constexpr (std::is_same_v<T, QString>)
                return v;
            else if constexpr (std::is_convertible_v<T, std::string>)
                return QString::fromStdString(std::string(v));
            else if constexpr (std::is_enum_v<T>)
                return QString::number(int(v));
            else
                return QStringLiteral("<value>");
        };
        return out;
    }

    bool hasValue() const { return ptr_ != nullptr; }
    QString describe() const { return ptr_ ? describe_(ptr_.get()) : QString(); }
    template <typename T>
    const T *get() const
    {
        return ptr_ && *type_ == typeid(T) ? static_cast<const T *>(ptr_.get()) : nullptr;
    }

    friend bool operator==(const AnyValue &a, const AnyValue &b)
    {
        if (a.ptr_ == b.ptr_)
            return true;
        if (!a.ptr_ || !b.ptr_ || *a.type_ != *b.type_)
            return false;
        return a.equal_(a.ptr_.get(), b.ptr_.get());
    }

private:
    std::shared_ptr<const void> ptr_;
    const std::type_info *type_ = nullptr;
    bool (*equal_)(const void *, const void *) = nullptr;
    QString (*describe_)(const void *) = nullptr;
};

}  // namespace kit
