# klayout -b -r gds_klayout_copy.py -rd src=IN.gds -rd dst=OUT.gds
# klayout's own GDS-to-GDS conversion of the same geometry, timed inside.
import time

import pya

t0 = time.time()
ly = pya.Layout()
ly.read(src)  # noqa: F821
ly.write(dst)  # noqa: F821
print("klayout_copy_s %.3f" % (time.time() - t0))
