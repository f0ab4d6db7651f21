"""Builds the extension module vlmidiin._core with CMake (the metadata is in pyproject.toml).

Without VLMIDIIN_CMAKE_BUILD_DIR a Release build of the module is configured in setuptools'
temporary folder. With it, the module target of that existing CMake build (configured with
-DVLMIDIIN_PYTHON=ON for the same Python) is brought up to date and copied, so that a checkout
that has built everything already does not compile the library again.
"""

import os
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        cmake = shutil.which("cmake")
        if cmake is None:
            sys.exit("vlmidiin: cmake (3.25 or later) is needed to build the module")
        given = os.environ.get("VLMIDIIN_CMAKE_BUILD_DIR")
        build = Path(given).resolve() if given else Path(self.build_temp).resolve() / "cmake"
        if not given:
            import pybind11

            configure = [cmake, "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                         "-DVLMIDIIN_PYTHON=ON", "-DVLMIDIIN_TESTS=OFF",
                         f"-DPython_EXECUTABLE={sys.executable}",
                         f"-Dpybind11_DIR={pybind11.get_cmake_dir()}"]
            if shutil.which("ninja"):
                configure += ["-G", "Ninja"]
            subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 2)
        subprocess.run([cmake, "--build", str(build), "--target", "vlmidiin_python", "-j", jobs],
                       check=True)
        built = build / "python" / ("_core" + sysconfig.get_config_var("EXT_SUFFIX"))
        if not built.exists():
            sys.exit(f"vlmidiin: {built} was not built; configure {build} with "
                     f"-DVLMIDIIN_PYTHON=ON -DPython_EXECUTABLE={sys.executable}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(ext_modules=[Extension("vlmidiin._core", sources=[])], cmdclass={"build_ext": CMakeBuild})
