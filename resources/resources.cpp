// The pictures are compiled in by the resource compiler; this unit only gives the library a body.
