// Checks a record's field list against the record itself. The runner's dump and `set` walk one such list per
// record, so a field added to a record and not to its list must stop the build rather than go missing silently.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>
#include <utility>

namespace fieldList {

// An entry of a record's list that stands for one of the parts the record is made of (a base record): the part
// has its own list, and counts as one field of the record.
template <class P> struct Part {};

// Converts to any field type, so a record takes as many of these in braces as it declares fields.
struct AnyField {
    template <class T> operator T&() const;
};
template <size_t> using FieldOf = AnyField;
template <class R, class Indexes> struct TakesFields;
template <class R, size_t... I> struct TakesFields<R, std::index_sequence<I...>> {
    static constexpr bool value = requires { R{FieldOf<I>{}...}; };
};

// Counts the entries of a list that name the same field as target.
template <class M> struct SameField {
    M target;
    size_t count = 0;
    template <class P> constexpr void operator()(const char*, P field) {
        if constexpr (std::is_same_v<P, M>) count += field == target ? 1 : 0;
    }
    template <class P> constexpr void operator()(const char*, P, size_t) {}
    template <class P> constexpr void operator()(Part<P>) {}
};

// Walks a list once; for each field entry walks the whole list again to count the entries naming that field.
template <class R, class List> struct ListCheck {
    List list;
    std::array<std::string_view, 128> names{};
    size_t nameCount = 0;
    size_t fieldCount = 0;
    bool fieldsOnce = true;
    bool namesDiffer = true;

    constexpr void takeName(std::string_view name) {
        for (size_t i = 0; i < nameCount; ++i) namesDiffer = namesDiffer && names[i] != name;
        names.at(nameCount++) = name;
    }
    template <class T> constexpr void operator()(const char* name, T R::*field) {
        takeName(name);
        ++fieldCount;
        SameField<T R::*> same{field};
        list(same);
        fieldsOnce = fieldsOnce && same.count == 1;
    }
    template <class P> constexpr void operator()(const char* name, P, size_t) { takeName(name); }
    // Parts are distinct base records: each is one initializer of the record.
    template <class P> constexpr void operator()(Part<P>) { ++fieldCount; }
};

}  // namespace fieldList

// The number of fields record R declares.
template <class R, size_t N = 0> constexpr size_t declaredFieldCount() {
    if constexpr (fieldList::TakesFields<R, std::make_index_sequence<N + 1>>::value) {
        return declaredFieldCount<R, N + 1>();
    } else {
        return N;
    }
}

// True when list (called with a visitor) names every field of record R exactly once, under names that differ.
// An entry is `visit(name, &R::field)`; `visit(name, &R::table, index)` shows one element of a table again under
// a name of its own and is no field. The list names only fields of R (the member pointers say so) and none
// twice, so with as many entries as R declares fields it names them all.
template <class R, class List> constexpr bool everyFieldOnce(List list) {
    static_assert(std::is_aggregate_v<R>, "fields are counted on plain records only");
    fieldList::ListCheck<R, List> check{list};
    list(check);
    return check.fieldsOnce && check.namesDiffer && check.fieldCount == declaredFieldCount<R>();
}
