# Every test program, by the folder of the code it tests: tests/<layer>/<folder>/ holds the tests
# of <layer>/<folder>/ and makes one program, test_<layer>_<folder>. A new test file is added
# here, as a new source file is added to Sources.cmake.
#
# Each program links its own layer and what that layer may use, no more: the platform's tests
# link the platform library alone; the system's link the part they test and the parts it builds
# on (and, where the system works on the player's screen, the host player it hooks); the host's link the host (and the system's
# engine where a render is checked against what the engine makes of the same audio).

find_package(GTest REQUIRED)
include(GoogleTest)

# Under the leak checker, what system libraries keep for the life of the process (fontconfig's
# font sets, for every program that lays out text) is not reported.
set(TEST_ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")

# tunely_test(<program> LINK <libraries...> SOURCES <files...> [RUNS_PLAYER])
# RUNS_PLAYER: the tests run the built `tunely` (and find the installed library and resources),
# so the program is built after them and told where they are.
function(tunely_test name)
  cmake_parse_arguments(TEST "RUNS_PLAYER" "" "LINK;SOURCES" ${ARGN})
  add_executable(${name} ${TEST_SOURCES})
  # Helpers shared by the tests of several folders (tests/support/) are included by name.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(${name} PRIVATE ${TEST_LINK} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TUNELY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(TEST_RUNS_PLAYER)
    target_compile_definitions(${name} PRIVATE TUNELY_RESOURCES_DIR="${CMAKE_SOURCE_DIR}/resources"
      TUNELY_LOWTIDE_PATH="$<TARGET_FILE:Lowtide>" TUNELY_COMMAND="$<TARGET_FILE:tunely>")
    add_dependencies(${name} tunely)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT "${TEST_ENVIRONMENT}")
endfunction()

# Running the built `tunely` and reading and writing the audio files it plays and renders.
add_library(tunely_command_harness STATIC tests/support/CommandHarness.cpp)
target_include_directories(tunely_command_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(tunely_command_harness PUBLIC tunely_host GTest::gtest)
target_compile_definitions(tunely_command_harness PRIVATE TUNELY_COMMAND="$<TARGET_FILE:tunely>")

# --- The platform stand-ins ---

tunely_test(test_platform_coreaudio LINK tunely_platform SOURCES
  tests/platform/coreaudio/AudioThreadTest.cpp)

tunely_test(test_platform_coregraphics LINK tunely_platform SOURCES
  tests/platform/coregraphics/ContrastMeasureTest.cpp
  tests/platform/coregraphics/HostileImageTest.cpp
  tests/platform/coregraphics/TextBoundsTest.cpp)

# libplist itself judges the platform's own property-list reader and writer.
tunely_test(test_platform_foundation LINK tunely_platform PkgConfig::PLIST SOURCES
  tests/platform/foundation/FileReadTest.cpp
  tests/platform/foundation/FileWriteTest.cpp
  tests/platform/foundation/NSLogQueueTest.cpp
  tests/platform/foundation/NSLogTest.cpp
  tests/platform/foundation/NSStringTest.cpp
  tests/platform/foundation/PlainXmlPropertyListTest.cpp
  tests/platform/foundation/PropertyListTest.cpp
  tests/platform/foundation/RunLoopTest.cpp)

tunely_test(test_platform_mediatoolbox LINK tunely_platform SOURCES
  tests/platform/mediatoolbox/TapObjectTest.cpp)

tunely_test(test_platform_objc LINK tunely_platform SOURCES
  tests/platform/objc/RuntimeTest.cpp)

tunely_test(test_platform_uikit LINK tunely_platform SOURCES
  tests/platform/uikit/ControlsLayoutTest.cpp
  tests/platform/uikit/ControlsTestSupport.cpp
  tests/platform/uikit/DrawingChangesTest.cpp
  tests/platform/uikit/LayoutLoaderTest.cpp
  tests/platform/uikit/ListLayoutTest.cpp
  tests/platform/uikit/ScreenshotTest.cpp
  tests/platform/uikit/SliderReadoutTest.cpp
  tests/platform/uikit/TouchDeliveryTest.cpp
  tests/platform/uikit/UIActionSheetTest.cpp
  tests/platform/uikit/UIAlertViewOnScreenTest.cpp
  tests/platform/uikit/UIAlertViewTest.cpp
  tests/platform/uikit/UIBarButtonItemTest.cpp
  tests/platform/uikit/UIImageViewTest.cpp
  tests/platform/uikit/UINavigationBarTest.cpp
  tests/platform/uikit/UIPickerViewTest.cpp
  tests/platform/uikit/UIPopoverControllerTest.cpp
  tests/platform/uikit/UIScrollViewTest.cpp
  tests/platform/uikit/UISegmentedControlTest.cpp
  tests/platform/uikit/UISliderTest.cpp
  tests/platform/uikit/UISwitchTest.cpp
  tests/platform/uikit/UITableViewTest.cpp
  tests/platform/uikit/UITextFieldTest.cpp
  tests/platform/uikit/UIToolbarTest.cpp)

# --- The system ---

tunely_test(test_lowtide_engine LINK lowtide_testing SOURCES
  tests/Lowtide/engine/AllocationTest.cpp
  tests/Lowtide/engine/BiquadTest.cpp
  tests/Lowtide/engine/ConcurrencyTest.cpp
  tests/Lowtide/engine/DesignTest.cpp
  tests/Lowtide/engine/KernelTest.cpp
  tests/Lowtide/engine/KernelWalkTest.cpp
  tests/Lowtide/engine/NonFiniteInputTest.cpp
  tests/Lowtide/engine/TapTest.cpp)

tunely_test(test_lowtide_response LINK lowtide_testing lowtide_response SOURCES
  tests/Lowtide/response/ChannelWalkTest.cpp
  tests/Lowtide/response/PeakGainTest.cpp)

# A refused save is shown as the bound panel shows it: through the panel's alert.
tunely_test(test_lowtide_settings LINK lowtide_testing lowtide_settings lowtide_panel SOURCES
  tests/Lowtide/settings/EQPresetTest.cpp
  tests/Lowtide/settings/LastStateTest.cpp
  tests/Lowtide/settings/PresetManagerTest.cpp
  tests/Lowtide/settings/PresetNeighboursTest.cpp
  tests/Lowtide/settings/PresetStoreRereadTest.cpp)

# The hooks and the panel act on the player's own screen: these link the host player they hook,
# and find the built library and resources it installs. The panel is reached through the
# player's controls button, as a listener reaches it.
tunely_test(test_lowtide_player LINK lowtide_testing lowtide_player tunely_host RUNS_PLAYER SOURCES
  tests/Lowtide/player/ControlsHooksTest.cpp
  tests/Lowtide/player/LoadTimeInitialiserTest.cpp
  tests/Lowtide/player/PlatformStandInsTest.cpp
  tests/Lowtide/player/TapAttachmentTest.cpp)

tunely_test(test_lowtide_panel LINK lowtide_testing lowtide_player tunely_host RUNS_PLAYER SOURCES
  tests/Lowtide/panel/BackdropTest.cpp
  tests/Lowtide/panel/BandsPageTest.cpp
  tests/Lowtide/panel/BindingTest.cpp
  tests/Lowtide/panel/CurveStripScaleTest.cpp
  tests/Lowtide/panel/LayoutRefusalTest.cpp
  tests/Lowtide/panel/OptionsTest.cpp
  tests/Lowtide/panel/PresentationTest.cpp
  tests/Lowtide/panel/ReadabilityTest.cpp
  tests/Lowtide/panel/ResponseCurveTest.cpp
  tests/Lowtide/panel/TitleMarqueeTest.cpp
  tests/Lowtide/panel/UnusableDesignTest.cpp)

# --- The host ---

tunely_test(test_host_cli LINK tunely_command_harness lowtide_testing RUNS_PLAYER SOURCES
  tests/host/cli/CommandLineTest.cpp
  tests/host/cli/PlayCommandTest.cpp
  tests/host/cli/QueueExpansionTest.cpp)

tunely_test(test_host_curve LINK tunely_command_harness RUNS_PLAYER SOURCES
  tests/host/curve/CurveCommandLineTest.cpp
  tests/host/curve/CurveMeasurementTest.cpp
  tests/host/curve/CurveTextTest.cpp)

tunely_test(test_host_demo LINK tunely_host SOURCES
  tests/host/demo/DemoSongTest.cpp)

tunely_test(test_host_desktop LINK tunely_command_harness RUNS_PLAYER SOURCES
  tests/host/desktop/PipeWireSinkTest.cpp
  tests/host/desktop/PrivatePipeWire.cpp)

tunely_test(test_host_install LINK tunely_command_harness RUNS_PLAYER SOURCES
  tests/host/install/DeviceRootLayoutTest.cpp
  tests/host/install/ReadOnlyDeviceRootTest.cpp
  tests/host/install/ReadOnlyView.cpp)

tunely_test(test_host_loader LINK tunely_command_harness SOURCES
  tests/host/loader/SubstrateLoaderTest.cpp)

# libebur128 is the loudness meter's reference.
tunely_test(test_host_media LINK tunely_command_harness lowtide_testing PkgConfig::EBUR128 RUNS_PLAYER SOURCES
  tests/host/media/AudioThreadAllocationTest.cpp
  tests/host/media/BlockRingTest.cpp
  tests/host/media/BufferedFileInputTest.cpp
  tests/host/media/CompareSessionTest.cpp
  tests/host/media/CompareStageTest.cpp
  tests/host/media/LargeOutputTest.cpp
  tests/host/media/LevelsAndQueueTest.cpp
  tests/host/media/LiveRateHandOverTest.cpp
  tests/host/media/LoudnessAndLayoutTest.cpp
  tests/host/media/LoudnessBothSidesTest.cpp
  tests/host/media/LoudnessMeterTest.cpp
  tests/host/media/NonFiniteSampleSessionTest.cpp
  tests/host/media/PeakLimiterTest.cpp
  tests/host/media/PlayOrderTest.cpp
  tests/host/media/ProgressBarTest.cpp
  tests/host/media/RenderMeasuresTest.cpp
  tests/host/media/RenderOutputTest.cpp
  tests/host/media/SoundDeviceLimitsTest.cpp
  tests/host/media/SpeakerOutputTest.cpp
  tests/host/media/StopSignalTest.cpp
  tests/host/media/TrackFileCheckTest.cpp
  tests/host/media/TrackPlaybackTest.cpp
  tests/host/media/WavFileSinkBlocksTest.cpp)

tunely_test(test_host_player LINK tunely_command_harness lowtide_testing RUNS_PLAYER SOURCES
  tests/host/player/OfflineTransportTest.cpp
  tests/host/player/SessionEndTest.cpp
  tests/host/player/TransportInProcessTest.cpp
  tests/host/player/UnseenScreenTest.cpp)

tunely_test(test_host_script LINK tunely_command_harness lowtide_testing RUNS_PLAYER SOURCES
  tests/host/script/HostileScriptFileTest.cpp
  tests/host/script/ScriptedSessionTest.cpp
  tests/host/script/SessionScriptTest.cpp)

tunely_test(test_host_text LINK tunely_host SOURCES
  tests/host/text/MessageTextTest.cpp)

tunely_test(test_host_window LINK tunely_command_harness RUNS_PLAYER SOURCES
  tests/host/window/RealWindowTest.cpp)

# --- The project's scripts ---

tunely_test(test_scripts LINK tunely_command_harness SOURCES
  tests/scripts/TestAllScriptTest.cpp)

# --- Whole-build checks ---

# Each layer, and each part of the system, reaches only what it may use. A probe includes one
# header with a target's include roots: a header the target may not use is not found, so the
# build of the probe fails naming it. The first probe includes a header its target may use and
# must compile, which shows that the others fail for the header they name and nothing else.
function(include_probe name target header)
  add_library(include_probe_${name} OBJECT EXCLUDE_FROM_ALL tests/layers/IncludeProbe.cpp)
  target_link_libraries(include_probe_${name} PRIVATE ${target})
  target_compile_definitions(include_probe_${name} PRIVATE PROBED_HEADER="${header}")
  add_test(NAME Layers.${name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target include_probe_${name})
  set_tests_properties(Layers.${name} PROPERTIES RESOURCE_LOCK build_tree TIMEOUT 300)
endfunction()
function(forbidden_include name target header)
  include_probe(${name} ${target} ${header})
  string(REPLACE "." "\\." pattern ${header})
  set_tests_properties(Layers.${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "${pattern}: No such file or directory|'${pattern}' file not found")
endfunction()
include_probe(ThePanelReachesTheSettings lowtide_panel Lowtide/settings/EQPreset.h)
forbidden_include(ThePlatformCannotReachTheSystem tunely_platform Lowtide/engine/Equalizer.h)
forbidden_include(ThePlatformCannotReachTheHost tunely_platform host/media/BlockRing.h)
forbidden_include(TheEngineCannotReachTheHost lowtide_engine host/media/BlockRing.h)
forbidden_include(TheSystemsPlayerCannotReachTheHost lowtide_player host/player/PlayerClasses.h)
forbidden_include(TheHostCannotReachTheSystem tunely_host Lowtide/engine/Equalizer.h)
forbidden_include(TheEngineCannotReachTheSettings lowtide_engine Lowtide/settings/EQPreset.h)
forbidden_include(TheSettingsCannotReachThePanel lowtide_settings Lowtide/panel/SaveFailureAlert.h)
forbidden_include(TheResponseCannotReachTheSettings lowtide_response Lowtide/settings/EQPreset.h)
forbidden_include(ThePanelCannotReachThePlayer lowtide_panel Lowtide/player/TapAttachment.h)
forbidden_include(TheCurveCannotReachThePanel tunely_curve Lowtide/panel/eqView.h)

add_test(NAME Layers.ThePlayerLinksNoneOfTheSystem
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layers/player-links-no-system.sh $<TARGET_FILE:tunely>)
# The installed program, away from the build (a plain build only: the sanitizers' runtimes are
# not part of an installation).
if(NOT TUNELY_SANITIZE)
  add_test(NAME InstalledProgram.RendersLikeTheBuildWithTheBuildHidden
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/host/install/installed-program.sh
                   ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(InstalledProgram.RendersLikeTheBuildWithTheBuildHidden PROPERTIES TIMEOUT 300)
endif()
