// A DLL that an attacker could leave beside the program; the tests check it is not loaded by name.
extern "C" __declspec(dllexport) int PlantedMarker() {
    return 42;
}
