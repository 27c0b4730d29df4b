# The system's code (app/, model/, render/, shared_ui/, config_ui/, preview_ui/) sees the layer
# through platform/include alone: no source of it may read a Qt header or one of the layer's
# private headers, directly or through another header, and every public header compiles on its
# own with nothing but platform/include on the include path. Each window keeps to its own
# folder: config_ui/ and preview_ui/ read neither each other's headers nor are read by
# shared_ui/, which holds what they share.
#
#   cmake -DSOURCE_DIR=<tree> -DBUILD_DIR=<build> -DCXX=<compiler> -P check_includes.cmake
#
# Each source is preprocessed with its own compile command from compile_commands.json, so
# the headers checked are the ones the build really reads.

set(system_folders "^(app|model|render|shared_ui|config_ui|preview_ui)/")
set(qt_header "/(qt5|qt6|Qt[A-Za-z0-9]+)/")
set(public_dir "${SOURCE_DIR}/platform/include/")
set(failures "")

# Adds to failures every header in a make-style dependency list that the system may not read.
function(check_dependencies who dependencies directory)
	string(REPLACE "\\\n" " " dependencies "${dependencies}")
	separate_arguments(dependencies UNIX_COMMAND "${dependencies}")
	foreach(header IN LISTS dependencies)
		if(header MATCHES ":$")
			continue()
		endif()
		get_filename_component(header "${header}" ABSOLUTE BASE_DIR "${directory}")
		string(FIND "${header}" "${SOURCE_DIR}/platform/" in_platform)
		string(FIND "${header}" "${public_dir}" in_public)
		file(RELATIVE_PATH read "${SOURCE_DIR}" "${header}")
		if(header MATCHES "${qt_header}")
			list(APPEND failures "${who} reads the Qt header ${header}")
		elseif((who MATCHES "^(config_ui|shared_ui)/" AND read MATCHES "^preview_ui/")
				OR (who MATCHES "^(preview_ui|shared_ui)/" AND read MATCHES "^config_ui/"))
			list(APPEND failures "${who} reads ${read}, another window's header")
		elseif(in_platform EQUAL 0 AND NOT in_public EQUAL 0)
			list(APPEND failures "${who} reads the layer's private header ${header}")
		endif()
	endforeach()
	set(failures "${failures}" PARENT_SCOPE)
endfunction()

file(READ "${BUILD_DIR}/compile_commands.json" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(sources 0)
foreach(i RANGE ${last})
	string(JSON source GET "${commands}" ${i} file)
	file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
	if(NOT relative MATCHES "${system_folders}")
		continue()
	endif()
	string(JSON command GET "${commands}" ${i} command)
	string(JSON directory GET "${commands}" ${i} directory)
	separate_arguments(arguments UNIX_COMMAND "${command}")
	# The same compile, listing the headers it reads instead of writing an object.
	list(FIND arguments "-o" output)
	list(REMOVE_AT arguments ${output})
	list(REMOVE_AT arguments ${output})
	list(REMOVE_ITEM arguments "-c")
	execute_process(COMMAND ${arguments} -M
		WORKING_DIRECTORY "${directory}"
		RESULT_VARIABLE result OUTPUT_VARIABLE dependencies ERROR_VARIABLE errors)
	if(NOT result EQUAL 0)
		list(APPEND failures "${relative} does not preprocess: ${errors}")
		continue()
	endif()
	check_dependencies("${relative}" "${dependencies}" "${directory}")
	math(EXPR sources "${sources} + 1")
endforeach()
if(sources EQUAL 0)
	message(FATAL_ERROR "no source of the system found in ${BUILD_DIR}/compile_commands.json")
endif()

file(GLOB headers "${public_dir}*.h")
foreach(header IN LISTS headers)
	get_filename_component(name "${header}" NAME)
	execute_process(COMMAND "${CXX}" -std=c++17 -Wall -Wextra -Wno-multichar -Werror
			-fsyntax-only -I "${public_dir}" -x c++ "${header}"
		RESULT_VARIABLE result ERROR_VARIABLE errors)
	if(NOT result EQUAL 0)
		list(APPEND failures "platform/include/${name} does not compile alone: ${errors}")
		continue()
	endif()
	execute_process(COMMAND "${CXX}" -std=c++17 -M -I "${public_dir}" -x c++ "${header}"
		RESULT_VARIABLE result OUTPUT_VARIABLE dependencies ERROR_VARIABLE errors)
	check_dependencies("platform/include/${name}" "${dependencies}" "${public_dir}")
endforeach()

list(LENGTH headers header_count)
if(failures)
	string(REPLACE ";" "\n" failures "${failures}")
	message(FATAL_ERROR "${failures}")
endif()
message(STATUS "${sources} sources and ${header_count} public headers read no Qt and no "
	"private header of the layer")
