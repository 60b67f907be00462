// Placeholder translation unit until the decoder's stages land.
namespace Velt { int StubMarker() { return 0; } }
