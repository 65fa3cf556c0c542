# Common compile settings for every target of the project.
add_library(corvane_settings INTERFACE)
target_compile_features(corvane_settings INTERFACE cxx_std_20)
target_compile_options(corvane_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wimplicit-fallthrough -Wno-unused-parameter)
target_compile_definitions(corvane_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_BEFORE=0x060400)
target_include_directories(corvane_settings INTERFACE ${PROJECT_SOURCE_DIR}/src)

# CI builds with warnings as errors, so a new warning fails the run.
option(CORVANE_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
if(CORVANE_WARNINGS_AS_ERRORS)
  target_compile_options(corvane_settings INTERFACE -Werror)
endif()
