# Checks that the public header documents every operation slot and every
# field of RuvoDrawBlock, so that a slot or field cannot be added without
# its reference entry.
#   cmake -DHEADER=include/ruvodraw1024.h -P check_reference.cmake
#
# Each slot of RUVO_OPERATION_SLOTS needs a block that opens
#   \var RuvoOperations::<Member>
#   Slot <n>: `<result> <Member>(<parameters>)`.
# with the slot's own number, result and parameters (the signature may wrap
# over several lines), then says more, in slot order.

file(READ "${HEADER}" text)
set(failures "")

# The slot list as one line per entry: join continuation lines, squeeze blanks.
string(FIND "${text}" "#define RUVO_OPERATION_SLOTS(X)" list_start)
string(FIND "${text}" "#define RUVO_SLOT_COUNT" list_end)
if(list_start EQUAL -1 OR list_end EQUAL -1)
  message(FATAL_ERROR "${HEADER}: the slot list RUVO_OPERATION_SLOTS was not found")
endif()
math(EXPR list_length "${list_end} - ${list_start}")
string(SUBSTRING "${text}" ${list_start} ${list_length} slots)
string(REPLACE "\\\n" " " slots "${slots}")
string(REGEX REPLACE "[ \t\n]+" " " slots "${slots}")
string(REPLACE "( " "(" slots "${slots}")
string(REGEX MATCHALL "X\\([0-9]+, [A-Za-z0-9]+, [A-Za-z0-9]+, [A-Za-z0-9_]+, \\([^)]*\\)\\)" entries "${slots}")
list(LENGTH entries entry_count)
if(NOT entry_count EQUAL 59)
  list(APPEND failures "the slot list has ${entry_count} entries, not 59")
endif()

set(last_position -1)
set(expected_slot 0)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^X\\(([0-9]+), ([A-Za-z0-9]+), [A-Za-z0-9]+, ([A-Za-z0-9_]+), \\(([^)]*)\\)\\)$"
         "\\1;\\2;\\3;\\4" fields "${entry}")
  list(GET fields 0 slot)
  list(GET fields 1 member)
  list(GET fields 2 result)
  list(GET fields 3 params)
  if(NOT slot EQUAL expected_slot)
    list(APPEND failures "slot list: ${member} is slot ${slot}, expected ${expected_slot}")
  endif()
  math(EXPR expected_slot "${expected_slot} + 1")

  set(opening " * \\var RuvoOperations::${member}\n")
  string(FIND "${text}" "${opening}" at)
  if(at EQUAL -1)
    list(APPEND failures "slot ${slot} ${member}: no reference block (\\var RuvoOperations::${member})")
    continue()
  endif()
  # The block up to its end, as one line: a signature may wrap.
  string(LENGTH "${opening}" opening_length)
  math(EXPR next "${at} + ${opening_length}")
  string(SUBSTRING "${text}" ${next} -1 rest)
  string(FIND "${rest}" "*/" block_end)
  string(SUBSTRING "\n${rest}" 0 ${block_end} block)
  string(REGEX REPLACE "\n \\*[ ]*" " " block "${block}")
  string(STRIP "${block}" block)
  set(signature "Slot ${slot}: `${result} ${member}(${params})`.")
  string(FIND "${block}" "${signature}" signature_at)
  if(NOT signature_at EQUAL 0)
    list(APPEND failures "slot ${slot} ${member}: the block must go on with: ${signature}")
  endif()
  # The block holds more than its signature.
  string(LENGTH "${block}" block_length)
  string(LENGTH "${signature}" signature_length)
  if(block_length LESS_EQUAL signature_length)
    list(APPEND failures "slot ${slot} ${member}: the block says nothing beyond its signature")
  endif()
  if(at LESS last_position)
    list(APPEND failures "slot ${slot} ${member}: its block is out of slot order")
  endif()
  set(last_position ${at})
endforeach()

# Every field of RuvoDrawBlock: a doc comment before it or a /**< one beside it.
string(FIND "${text}" "typedef struct RuvoDrawBlock {" block_start)
string(FIND "${text}" "} RuvoDrawBlock;" block_end)
if(block_start EQUAL -1 OR block_end EQUAL -1)
  message(FATAL_ERROR "${HEADER}: RuvoDrawBlock was not found")
endif()
math(EXPR block_length "${block_end} - ${block_start}")
string(SUBSTRING "${text}" ${block_start} ${block_length} record)
string(REPLACE ";" "<semicolon>" record "${record}")
string(REPLACE "\n" ";" lines "${record}")
set(previous "")
set(field_count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^    [A-Za-z_][A-Za-z0-9_ ]*[ *]([A-Za-z_][A-Za-z0-9_]*)(\\[[^]]*\\])*<semicolon>")
    set(field "${CMAKE_MATCH_1}")
    math(EXPR field_count "${field_count} + 1")
    if(NOT line MATCHES "/\\*\\*<" AND NOT previous MATCHES "\\*/[ \t]*$")
      list(APPEND failures "RuvoDrawBlock::${field} has no doc comment")
    endif()
  endif()
  set(previous "${line}")
endforeach()
if(field_count LESS 40)
  list(APPEND failures "RuvoDrawBlock: only ${field_count} fields recognised")
endif()

if(failures)
  list(JOIN failures "\n  " report)
  message(FATAL_ERROR "${HEADER}: the reference is incomplete:\n  ${report}")
endif()
message(STATUS "reference: 59 slots and ${field_count} fields of RuvoDrawBlock documented")
