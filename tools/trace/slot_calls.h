// Calling any slot from a row of 64-bit argument words, and the reverse:
// typed forwarders that turn a slot's arguments into such a row. Built from
// the header's slot list, so every slot has its exact function type.
#pragma once

#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ruvodraw1024.h"

namespace ruvo::trace {

template <typename Fn>
struct SlotTraits;

template <typename R, typename... A>
struct SlotTraits<R(RUVO_CDECL *)(A...)> {
    using Result = R;
    using Args = std::tuple<A...>;
    static constexpr int kArity = sizeof...(A);
};

// An argument as a 64-bit word: integers zero-extended from 32 bits, pointers
// as their address.
template <typename T>
uint64_t ToWord(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<uintptr_t>(value);
    } else {
        static_assert(sizeof(T) == 4);
        return static_cast<uint32_t>(value);
    }
}

template <typename T>
T FromWord(uint64_t word) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(static_cast<uintptr_t>(word));
    } else {
        return static_cast<T>(static_cast<uint32_t>(word));
    }
}

template <typename Fn, size_t... I>
uint32_t InvokeSlot(RuvoOperation raw, const uint64_t *args, std::index_sequence<I...>) {
    using Traits = SlotTraits<Fn>;
    Fn fn;
    static_assert(sizeof fn == sizeof raw);
    std::memcpy(&fn, &raw, sizeof fn);
    if constexpr (std::is_void_v<typename Traits::Result>) {
        fn(FromWord<std::tuple_element_t<I, typename Traits::Args>>(args[I])...);
        return 0;
    } else {
        return static_cast<uint32_t>(
            fn(FromWord<std::tuple_element_t<I, typename Traits::Args>>(args[I])...));
    }
}

// Calls fn, the operation of the slot, with the words as its arguments.
inline uint32_t CallSlot(int slot, RuvoOperation fn, const uint64_t *args) {
    switch (slot) {
#define RUVO_TRACE_CALL_CASE(slot, Member, Operation, Result, Params) \
    case slot:                                                        \
        return InvokeSlot<Ruvo##Member##Fn>(                          \
            fn, args, std::make_index_sequence<SlotTraits<Ruvo##Member##Fn>::kArity>{});
        RUVO_OPERATION_SLOTS(RUVO_TRACE_CALL_CASE)
#undef RUVO_TRACE_CALL_CASE
    }
    return 0;
}

// Whether argument i of the slot is a pointer.
template <typename Fn, size_t... I>
constexpr uint16_t PointerMask(std::index_sequence<I...>) {
    using Args = typename SlotTraits<Fn>::Args;
    return static_cast<uint16_t>(
        (0 | ... | (std::is_pointer_v<std::tuple_element_t<I, Args>> ? (1u << I) : 0u)));
}

inline constexpr uint16_t kPointerArgs[RUVO_SLOT_COUNT] = {
#define RUVO_TRACE_POINTERS(slot, Member, Operation, Result, Params) \
    PointerMask<Ruvo##Member##Fn>(std::make_index_sequence<SlotTraits<Ruvo##Member##Fn>::kArity>{}),
    RUVO_OPERATION_SLOTS(RUVO_TRACE_POINTERS)
#undef RUVO_TRACE_POINTERS
};

inline constexpr int kSlotArity[RUVO_SLOT_COUNT] = {
#define RUVO_TRACE_ARITY(slot, Member, Operation, Result, Params) \
    SlotTraits<Ruvo##Member##Fn>::kArity,
    RUVO_OPERATION_SLOTS(RUVO_TRACE_ARITY)
#undef RUVO_TRACE_ARITY
};

inline constexpr const char *kSlotNames[RUVO_SLOT_COUNT] = {
#define RUVO_TRACE_NAME(slot, Member, Operation, Result, Params) #Member,
    RUVO_OPERATION_SLOTS(RUVO_TRACE_NAME)
#undef RUVO_TRACE_NAME
};

static_assert(kSlotArity[RUVO_SLOT_CopyImageRect] == 10);
static_assert(kPointerArgs[RUVO_SLOT_StampSpriteMask] == ((1u << 2) | (1u << 4) | (1u << 5)));

}  // namespace ruvo::trace
