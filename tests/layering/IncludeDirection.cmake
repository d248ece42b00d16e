# Holds every source folder's includes to the one direction the folders depend on:
#
#   formula, values          nothing of ours
#   server                   values
#   db                       values; the server from db/embedded only
#   ui                       db, values
#   data, history,           db, ui, formula, values (export none of the widgets:
#   gridevents, export         no ui/DataGrid*, ui/Lookup*, ui/ControlDialogs*)
#   signin, sheet, structure all of the above, and each other's headers (the main
#                            window opens the sign-in checks and the structure editor
#                            through its host interface), but never both ways
#   app                      everything
#
# tools/, tests/ and bench/ may include anything and are not checked. An include without
# a folder ("Engine.h") is read as the file beside the including one, else as a server
# header (the server and QOR libraries put their own folders on the include path), so it cannot slip
# past the rule. Any two folders that include each other fail as a cycle.
#
# Run: cmake -DROOT=<source tree> -P IncludeDirection.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
    message(FATAL_ERROR "ROOT is not set")
endif()

set(lower formula values)
set(windows signin sheet structure)
set(allowed_formula "")
set(allowed_values "")
set(allowed_server values)
set(allowed_db values)
set(allowed_db_embedded values server)
set(allowed_ui db values)
foreach(f data history gridevents export)
    set(allowed_${f} db ui formula values)
endforeach()
foreach(f ${windows})
    set(allowed_${f} db ui formula values data history gridevents export ${windows})
endforeach()
set(allowed_app formula values server db ui data history gridevents export ${windows})
set(checked formula values server db ui data history gridevents export ${windows} app)
set(known ${checked} tools tests bench)

set(violations "")
set(edges "")
foreach(folder ${checked})
    if(NOT IS_DIRECTORY "${ROOT}/${folder}")
        continue()
    endif()
    file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(rel ${sources})
        set(rule ${folder})
        if(rel MATCHES "^db/embedded/")
            set(rule db_embedded)
        endif()
        get_filename_component(dir "${rel}" DIRECTORY)
        # One list element per line: characters that CMake lists treat specially go first.
        file(READ "${ROOT}/${rel}" text)
        string(REGEX REPLACE "[][;\\]" "" text "${text}")
        string(REPLACE "\n" ";" all_lines "${text}")
        set(n 0)
        foreach(line IN LISTS all_lines)
            math(EXPR n "${n} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
                continue()
            endif()
            set(inc "${CMAKE_MATCH_1}")
            set(target "")
            if(inc MATCHES "^([A-Za-z_]+)/" AND CMAKE_MATCH_1 IN_LIST known)
                set(target "${CMAKE_MATCH_1}")
                set(shown "${inc}")
            elseif(EXISTS "${ROOT}/${dir}/${inc}")
                get_filename_component(resolved "${ROOT}/${dir}/${inc}" REALPATH)
                get_filename_component(root_real "${ROOT}" REALPATH)
                file(RELATIVE_PATH shown "${root_real}" "${resolved}")
                string(REGEX REPLACE "/.*" "" target "${shown}")
            elseif(EXISTS "${ROOT}/server/${inc}")
                set(target server)
                set(shown "server/${inc}")
            elseif(EXISTS "${ROOT}/server/qor/${inc}")
                set(target server)
                set(shown "server/qor/${inc}")
            else()
                list(APPEND violations "${rel}:${n}: cannot tell which folder \"${inc}\" is in")
                continue()
            endif()
            if(target STREQUAL folder)
                continue()
            endif()
            list(APPEND edges "${folder}>${target}")
            if(NOT target IN_LIST allowed_${rule})
                list(APPEND violations "${rel}:${n}: ${folder} may not include ${shown}")
            elseif(folder STREQUAL "export" AND shown MATCHES "^ui/(DataGrid|Lookup|ControlDialogs)")
                list(APPEND violations "${rel}:${n}: export may not include the widget ${shown}")
            endif()
        endforeach()
    endforeach()
endforeach()

list(REMOVE_DUPLICATES edges)
foreach(edge ${edges})
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    if("${to}>${from}" IN_LIST edges AND from STRLESS to)
        list(APPEND violations "${from} and ${to} include each other")
    endif()
endforeach()

if(violations)
    list(LENGTH violations count)
    foreach(v ${violations})
        message(NOTICE "${v}")
    endforeach()
    message(FATAL_ERROR "${count} include(s) against the folders' dependency direction")
endif()
message(STATUS "every folder includes only what it may")
