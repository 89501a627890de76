BUILD_DIR ?= build
DEMO_DIR  := demo
JOBS      ?= $(shell nproc)
BIN       := $(abspath $(BUILD_DIR))/bin

.PHONY: all setup build run test bench clean

all: build

setup:
	@bash scripts/setup.sh

# Configuring needs the packages: it waits for the set-up also under make -j.
$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

$(DEMO_DIR)/ORBTData.mdb: | build
	$(BIN)/orbenta-createdb --demo $(DEMO_DIR)

# An empty DBPath finds the database in the current folder.
run: build $(DEMO_DIR)/ORBTData.mdb
	cd $(DEMO_DIR) && $(BIN)/orbenta

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	$(BIN)/orbenta-bench
	$(BIN)/orbenta-reportbench

clean:
	rm -rf $(BUILD_DIR)
