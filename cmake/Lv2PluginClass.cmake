# Declares Tolvo a limiter in the LV2 description the framework wrote:
# cmake -DTTL=<bundle>/dsp.ttl -P Lv2PluginClass.cmake
file(READ "${TTL}" text)
string(FIND "${text}" "lv2:LimiterPlugin" already)
if(already EQUAL -1)
    string(REPLACE "\ta lv2:Plugin ;\n" "\ta lv2:Plugin , lv2:LimiterPlugin ;\n" patched "${text}")
    if(patched STREQUAL text)
        message(FATAL_ERROR "${TTL}: no plug-in class line to extend")
    endif()
    file(WRITE "${TTL}" "${patched}")
endif()
