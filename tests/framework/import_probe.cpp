// An exe that imports a DLL of its own, for checking that the import table check refuses it.
extern "C" __declspec(dllimport) int PlantedMarker();

int main() {
    return PlantedMarker() == 42 ? 0 : 1;
}
