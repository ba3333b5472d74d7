# Collects the program's texts with lupdate into a copy of translations/zelmarine_en.ts and fails,
# naming each text, when one has no finished translation (a new or changed text) or when the file
# holds a text the program no longer has.
#   cmake -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch folder> -DLUPDATE=<lupdate>
#         -DOPTIONS=<lupdate options> -DFOLDERS=<source folders> -P TranslationCheck.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(copy "${WORK_DIR}/zelmarine_en.ts")
file(COPY_FILE "${SOURCE_DIR}/translations/zelmarine_en.ts" "${copy}")
file(READ "${copy}" before)

list(REMOVE_ITEM OPTIONS -no-obsolete)
execute_process(COMMAND "${LUPDATE}" ${OPTIONS} ${FOLDERS} -ts "${copy}"
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${out}")
endif()
file(READ "${copy}" after)
file(REMOVE_RECURSE "${WORK_DIR}")

set(problems "")
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"[a-z]+\"" marked "${after}")
foreach(entry IN LISTS marked)
    string(REGEX MATCH "<source>([^<]*)</source>" _ "${entry}")
    set(text "${CMAKE_MATCH_1}")
    string(REGEX MATCH "type=\"([a-z]+)\"" _ "${entry}")
    string(APPEND problems "\n  ${CMAKE_MATCH_1}: \"${text}\"")
endforeach()
if(out MATCHES "Qualifying with unknown|Cannot invoke tr|Discarding unconsumed")
    string(APPEND problems "\n  lupdate could not place every text:\n${out}")
endif()
if(problems)
    message(FATAL_ERROR "translations/zelmarine_en.ts is not complete (run the target zel_lupdate "
        "and translate):${problems}")
endif()
message(STATUS "every text has its English translation")
